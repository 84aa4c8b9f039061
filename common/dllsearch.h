/*
 * DLL search hardening shared by both programs.
 */
#ifndef QUORVANE_COMMON_DLLSEARCH_H
#define QUORVANE_COMMON_DLLSEARCH_H

/* limits the DLLs this process loads later (the folder browser and the
   shell load many) to the system folder */
void RestrictDllSearchPath(void);

#endif
