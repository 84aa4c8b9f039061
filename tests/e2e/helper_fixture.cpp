/*
 * The stand-in shared by each Helper suite (see helper_fixture.h).
 */
#include "helper_fixture.h"

Program HelperTest::standIn;
