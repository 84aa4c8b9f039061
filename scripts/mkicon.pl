#!/usr/bin/perl
# Draws the programs' icons and writes them as .ico files, reproducibly:
# the same script always gives the same bytes. The designs are simple
# geometric shapes computed per pixel, so each size is drawn, not scaled.
#
#   mkicon.pl setup  out.ico   32x32 and 16x16 in 16 colours
#   mkicon.pl helper out.ico   16x16 and 32x32, each in 16 and 256 colours
use strict;
use warnings;

my ($design, $out) = @ARGV;
die "usage: mkicon.pl setup|helper out.ico\n" unless $design && $out;

# the standard 16-colour palette
my @vga = (
    [0, 0, 0], [128, 0, 0], [0, 128, 0], [128, 128, 0],
    [0, 0, 128], [128, 0, 128], [0, 128, 128], [192, 192, 192],
    [128, 128, 128], [255, 0, 0], [0, 255, 0], [255, 255, 0],
    [0, 0, 255], [255, 0, 255], [0, 255, 255], [255, 255, 255],
);

# Setup: a blue disc carrying a white Q, over a grey box edge
sub setup_pixel {
    my ($u, $v, $deep) = @_;
    my ($dx, $dy) = ($u - 0.5, $v - 0.47);
    my $r = sqrt($dx * $dx + $dy * $dy);
    # the Q's tail, down to the right
    my $t = ($u - 0.55) - ($v - 0.62);
    my $on_tail = abs($t) < 0.07 && $u > 0.55 && $u < 0.86 && $v > 0.62 && $v < 0.93;
    return [255, 255, 255] if $on_tail;
    return [0, 0, 128] if $r > 0.40 && $r <= 0.47;
    if ($r <= 0.40) {
        return [255, 255, 255] if $r > 0.17 && $r < 0.29;
        return $deep ? [0, int(40 + 120 * (1 - $r / 0.4)), 255] : [0, 0, 255];
    }
    return undef;
}

# Helper: a yellow tag with a punched hole, pointing down to the left
sub helper_pixel {
    my ($u, $v, $deep) = @_;
    # rotate by 45 degrees around the centre
    my ($x, $y) = ($u - 0.5, $v - 0.5);
    my ($a, $b) = (($x + $y) / sqrt(2), ($y - $x) / sqrt(2));
    my $inside = abs($b) < 0.21 && $a > -0.30 && $a < 0.42 &&
                 ($a > -0.12 || abs($b) < 0.21 + ($a + 0.12) * 1.1);
    return undef unless $inside;
    my ($hx, $hy) = ($a + 0.10, $b);
    return undef if sqrt($hx * $hx + $hy * $hy) < 0.06;
    my $edge = abs($b) > 0.16 || $a > 0.36 ||
               ($a <= -0.12 && abs($b) > 0.16 + ($a + 0.12) * 1.1);
    return [0, 0, 0] if $edge;
    return $deep ? [255, int(210 - 110 * ($a + 0.30)), 0] : [255, 255, 0];
}

sub nearest16 {
    my ($c) = @_;
    my ($best, $bi) = (1e9, 0);
    for my $i (0 .. 15) {
        my $d = 0;
        $d += ($c->[$_] - $vga[$i][$_])**2 for 0 .. 2;
        ($best, $bi) = ($d, $i) if $d < $best;
    }
    return $bi;
}

# one image: BITMAPINFOHEADER, palette, colour bits, mask bits
sub image {
    my ($size, $bpp) = @_;
    my $draw = $design eq 'setup' ? \&setup_pixel : \&helper_pixel;
    my (@pixels, @palette, %index);
    @palette = $bpp == 4 ? @vga : ();
    for my $y (0 .. $size - 1) {
        for my $x (0 .. $size - 1) {
            my $c = $draw->(($x + 0.5) / $size, ($y + 0.5) / $size, $bpp == 8);
            if (!defined $c) { push @pixels, -1; next; }
            if ($bpp == 4) { push @pixels, nearest16($c); next; }
            my $key = join ',', @$c;
            if (!exists $index{$key}) { push @palette, $c; $index{$key} = $#palette; }
            push @pixels, $index{$key};
        }
    }
    my $colours = 1 << $bpp;
    push @palette, [0, 0, 0] while @palette < $colours;
    die "too many colours\n" if @palette > $colours;

    my $xor_stride = (($size * $bpp + 31) >> 5) * 4;
    my $and_stride = (($size + 31) >> 5) * 4;
    my ($xor, $and) = ('', '');
    for my $y (reverse 0 .. $size - 1) {    # bottom-up rows
        my (@row, @mask);
        for my $x (0 .. $size - 1) {
            my $p = $pixels[$y * $size + $x];
            push @row, $p < 0 ? 0 : $p;
            push @mask, $p < 0 ? 1 : 0;
        }
        my $bits = '';
        if ($bpp == 4) {
            $bits .= pack('C', ($row[$_] << 4) | $row[$_ + 1]) for grep { $_ % 2 == 0 } 0 .. $#row;
        } else {
            $bits .= pack('C*', @row);
        }
        $xor .= $bits . ("\0" x ($xor_stride - length $bits));
        my $m = pack('B*', join '', @mask);
        $and .= $m . ("\0" x ($and_stride - length $m));
    }
    my $header = pack('VllvvVVllVV', 40, $size, $size * 2, 1, $bpp, 0,
                      length($xor) + length($and), 0, 0, 0, 0);
    my $pal = join '', map { pack('CCCC', $_->[2], $_->[1], $_->[0], 0) } @palette;
    return $header . $pal . $xor . $and;
}

my @images = $design eq 'setup'
    ? ([32, 4], [16, 4])
    : ([16, 4], [32, 4], [16, 8], [32, 8]);
my @data = map { image(@$_) } @images;
my $offset = 6 + 16 * @images;
my $ico = pack('vvv', 0, 1, scalar @images);
for my $i (0 .. $#images) {
    my ($size, $bpp) = @{$images[$i]};
    $ico .= pack('CCCCvvVV', $size, $size, $bpp == 4 ? 16 : 0, 0, 1, $bpp,
                 length $data[$i], $offset);
    $offset += length $data[$i];
}
$ico .= join '', @data;
open my $fh, '>:raw', $out or die "$out: $!\n";
print $fh $ico;
close $fh;
