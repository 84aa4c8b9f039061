/*
 * What a fresh install leaves behind, read back after a silent install in
 * the benchmark: the six product files with the media's bytes, the two
 * empty data files, the main program's settings with their defaults, the
 * installation record and the uninstall entry. The benchmark prints what
 * is missing; it asserts nothing.
 */
#ifndef QUORVANE_TESTS_BENCH_INSTALL_CHECK_H
#define QUORVANE_TESTS_BENCH_INSTALL_CHECK_H

#include <string>
#include <vector>

/* what differs from a complete install of the media into folder (which
   ends in a backslash); empty when nothing does */
std::vector<std::string> InstallDifferences(const std::string &media,
                                            const std::string &folder);

#endif
