/*
 * The test-support library in one include: programs (process.h), their
 * windows (gui.h) and message boxes (boxes.h), the registry (registry.h),
 * files (files.h), the setup media (media.h), the stand-in main program
 * (standin.h), pictures (pictures.h), the deadlines of the watchdog
 * (watchdog.h), and what the main program reads at our boundary
 * (contract.h).
 */
#ifndef QUORVANE_TESTS_SUPPORT_SUPPORT_H
#define QUORVANE_TESTS_SUPPORT_SUPPORT_H

#include "boxes.h"
#include "contract.h"
#include "files.h"
#include "gui.h"
#include "media.h"
#include "pictures.h"
#include "process.h"
#include "registry.h"
#include "standin.h"
#include "watchdog.h"

#endif
