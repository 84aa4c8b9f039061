/*
 * The changes of a run, counted (see change.h).
 */
#include "change.h"

#include <stddef.h>

int (*ChangeHook)(int number);

/* how many changes were asked for, written and read here only */
static int Changes;

int MayChange(void)
{
    Changes++;
    return ChangeHook == NULL || ChangeHook(Changes);
}
