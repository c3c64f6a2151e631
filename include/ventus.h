/* VENTUS: utility operations for the host application. Every export returns a
   32-bit signed status code; docs/api.md lists them all. Output buffers are the
   caller's and must be sized as documented. */
#ifndef VENTUS_H
#define VENTUS_H

#include <stdint.h>

#include "formula_export.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The record of SetupDialog: packed, no gaps. 26 bytes on 32-bit targets
   (pointers and the handle 4 bytes each); on 64-bit targets the three pointers
   and the device context are 8 bytes each, giving 42 bytes with the offsets
   0, 8, 16, 24, 26, 28, 30, 34. */
#pragma pack(push, 1)
typedef struct PrintSetupRecord {
    char *device;           /* out: printer (device) name, NUL-terminated */
    char *driver;           /* out: driver name */
    char *port;             /* out: output port name */
    uint16_t copies;        /* in, out */
    uint16_t from_page;     /* in: first page shown and lowest allowed; out: chosen */
    uint16_t to_page;       /* in: last page shown and highest allowed; out: chosen */
    uint32_t flags;         /* in: the print dialog's flags, passed unchanged */
    void *device_context;   /* out: the dialog's device context (the host owns it) */
} PrintSetupRecord;
#pragma pack(pop)

/* Raw printing and printer selection. */
FORMULA_EXPORT int32_t FORMULA_CALL PrintFile(const char *printer, const char *output,
                                              const char *path);
FORMULA_EXPORT int32_t FORMULA_CALL SetupDialog(PrintSetupRecord *record);
FORMULA_EXPORT int32_t FORMULA_CALL DefaultPrinter(char *device, char *driver, char *port);

/* Document blobs over the host's ODBC connection (hdbc is an SQLHDBC). */
FORMULA_EXPORT int32_t FORMULA_CALL LoadBin(void *hdbc, const char *sql, const char *path);
FORMULA_EXPORT int32_t FORMULA_CALL SaveBin(void *hdbc, const char *sql, const char *path);
FORMULA_EXPORT int32_t FORMULA_CALL EqualBin(void *hdbc, const char *table, const char *key,
                                             const char *path);

/* Lists. result must hold at least strlen(list) + 1 bytes. */
FORMULA_EXPORT int32_t FORMULA_CALL SortList(const char *list, char *result);
FORMULA_EXPORT int32_t FORMULA_CALL SortList2(const char *list, char *result);

/* Text files. Only the low byte of old_char and new_char counts. */
FORMULA_EXPORT int32_t FORMULA_CALL ReplChar(const char *source, const char *target,
                                             int32_t old_char, int32_t new_char);
FORMULA_EXPORT int32_t FORMULA_CALL ConvertToUnicode(const char *source, const char *target);
FORMULA_EXPORT int32_t FORMULA_CALL ConvertToAnsi(const char *source, const char *target);

/* RIPEMD-160 of a file as 40 lower-case hex digits; digest holds >= 41 bytes. */
FORMULA_EXPORT int32_t FORMULA_CALL RMDcalc(const char *path, char *digest);

/* Program launch, clock, memory-variable lookup. */
FORMULA_EXPORT int32_t FORMULA_CALL RunPrg(const char *program, const char *arg1,
                                           const char *arg2, const char *arg3,
                                           const char *arg4, const char *arg5);
FORMULA_EXPORT int32_t FORMULA_CALL SetNewTime(int32_t year, int32_t month, int32_t day,
                                               int32_t hour, int32_t minute);
FORMULA_EXPORT int32_t FORMULA_CALL VEDIVAR(const char *path, const char *name, char *value);

#ifdef __cplusplus
}
#endif

#endif
