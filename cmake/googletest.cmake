# GoogleTest from its sources (Debian's googletest package puts them in
# /usr/src/googletest; GOOGLETEST_SOURCE_DIR names another place), built
# with whatever compiler the including build uses.
find_path(QV_GOOGLETEST_SOURCE_DIR CMakeLists.txt
    HINTS ${GOOGLETEST_SOURCE_DIR} $ENV{GOOGLETEST_SOURCE_DIR}
    PATHS /usr/src/googletest /usr/local/src/googletest
    NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT QV_GOOGLETEST_SOURCE_DIR)
  message(FATAL_ERROR "No GoogleTest sources found: install Debian's googletest "
                      "(scripts/bootstrap) or set GOOGLETEST_SOURCE_DIR")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${QV_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
