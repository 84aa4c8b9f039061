/* Guest-side shim for 32-bit Wine under qemu-user: qemu 7 ignores
   MAP_FIXED_NOREPLACE and searches the whole guest space for another place,
   which makes Wine's start-up reservation loop take minutes. Here the flag
   is honoured by looking at the guest's own /proc/self/maps. */
typedef unsigned int size_t;
typedef long long off64_t;
#define MAP_FIXED 0x10
#define MAP_FIXED_NOREPLACE 0x100000
#define EEXIST 17
#define RTLD_NEXT ((void *)-1)
extern void *dlsym(void *, const char *);
extern int *__errno_location(void);
extern int open(const char *, int, ...);
extern int read(int, void *, size_t);
extern int close(int);
typedef void *(*mmap64_fn)(void *, size_t, int, int, int, off64_t);
static mmap64_fn real64;
static char maps[262144];

static unsigned long long hex(const char **p)
{
    unsigned long long v = 0;
    for (;; (*p)++) {
        char c = **p;
        if (c >= '0' && c <= '9') v = v * 16 + (unsigned)(c - '0');
        else if (c >= 'a' && c <= 'f') v = v * 16 + (unsigned)(c - 'a' + 10);
        else return v;
    }
}

/* 1 when [start, end) overlaps a guest mapping or cannot be checked */
static int in_use(unsigned long long start, unsigned long long end)
{
    int fd = open("/proc/self/maps", 0), n, total = 0;
    const char *p;
    if (fd < 0) return 1;
    while (total < (int)sizeof(maps) - 1 &&
           (n = read(fd, maps + total, sizeof(maps) - 1 - total)) > 0)
        total += n;
    close(fd);
    maps[total] = 0;
    for (p = maps; *p; ) {
        unsigned long long a = hex(&p), b;
        if (*p != '-') return 1;
        p++;
        b = hex(&p);
        if (a < end && start < b) return 1;
        while (*p && *p != '\n') p++;
        if (*p) p++;
    }
    return 0;
}

void *mmap64(void *addr, size_t len, int prot, int flags, int fd, off64_t off)
{
    if (!real64) real64 = (mmap64_fn)dlsym(RTLD_NEXT, "mmap64");
    if (flags & MAP_FIXED_NOREPLACE) {
        unsigned long long s = (unsigned long)addr, e = s + len;
        flags &= ~MAP_FIXED_NOREPLACE;
        if (e > 0x100000000ull || in_use(s, e)) {
            *__errno_location() = EEXIST;
            return (void *)-1;
        }
        flags |= MAP_FIXED;
    }
    return real64(addr, len, prot, flags, fd, off);
}

void *mmap(void *addr, size_t len, int prot, int flags, int fd, long off)
{
    return mmap64(addr, len, prot, flags, fd, off);
}
