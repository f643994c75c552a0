#ifndef REELKEEPER_SCANNERLIB_H
#define REELKEEPER_SCANNERLIB_H

/* The scanner library's plain C interface. The program loads the library at run time from its
 * own folder and calls nothing else; every call comes from the program's user-interface thread.
 *
 * Codes come from three sources, all handed over the same way: a keyboard-wedge scanner (a
 * burst of keys far faster than typing, ended by Enter or Tab), an input device named by the
 * environment variable REELKEEPER_SCANNER_DEVICE, and the feed, a FIFO at
 * $XDG_RUNTIME_DIR/ReelKeeper/scanner (or /tmp/ReelKeeper-<uid>/scanner) that takes one code a
 * line. Codes wait in the order they were read until each is marked taken.
 *
 * Every buffer is handed over with its size in bytes, room for the terminating zero included;
 * the library never writes past it and always ends the text with a zero. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define RK_SCANNER_EXPORT __attribute__((visibility("default")))

/* Called with one byte at a time of the library's own notes, a line at a time; also from the
 * library's reader threads. */
typedef void (*RkScannerDebugCallback)(unsigned char byte);

RK_SCANNER_EXPORT void SetDebugCallback(RkScannerDebugCallback callback);
/* Starts gathering codes from every source. */
RK_SCANNER_EXPORT void SetHook(void);
/* Stops gathering; codes already complete stay until they are taken. */
RK_SCANNER_EXPORT void UnHook(void);
/* Non-zero exactly while a complete code is waiting to be taken. */
RK_SCANNER_EXPORT int32_t GetCodeComplete(void);
/* The source of the waiting code: "KEYBOARD", "FEED", or "EVDEV" and the device's path. */
RK_SCANNER_EXPORT void GetScannerID(char* buffer, int32_t size);
/* The symbology guessed from the waiting code: "EAN-13", "UPC-A", "EAN-8", "CODE-128" or
 * "UNKNOWN". */
RK_SCANNER_EXPORT void GetCodeType(char* buffer, int32_t size);
/* The waiting code as it was read (UTF-8). */
RK_SCANNER_EXPORT void GetBarCode(char* buffer, int32_t size);
/* 0 marks the waiting code as taken; the next one, if any, then waits. */
RK_SCANNER_EXPORT void SetCodeComplete(int32_t complete);

#ifdef __cplusplus
}
#endif

#endif
