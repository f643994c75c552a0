#ifndef REELKEEPER_SCANNERLIB_H
#define REELKEEPER_SCANNERLIB_H

/* The scanner library's plain C interface. The program loads the library at run time from its
 * own folder and calls nothing else. Every buffer is handed over with its size in bytes, room
 * for the terminating zero included; the library never writes past it and always ends the text
 * with a zero. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define RK_SCANNER_EXPORT __attribute__((visibility("default")))

/* Called with one byte at a time of the library's own diagnostics. */
typedef void (*RkScannerDebugCallback)(unsigned char byte);

RK_SCANNER_EXPORT void SetDebugCallback(RkScannerDebugCallback callback);
/* Starts gathering scanner input. */
RK_SCANNER_EXPORT void SetHook(void);
/* Stops gathering; a code already complete stays until it is taken. */
RK_SCANNER_EXPORT void UnHook(void);
/* Non-zero exactly while a complete code is waiting to be taken. */
RK_SCANNER_EXPORT int32_t GetCodeComplete(void);
RK_SCANNER_EXPORT void GetScannerID(char* buffer, int32_t size);
RK_SCANNER_EXPORT void GetCodeType(char* buffer, int32_t size);
RK_SCANNER_EXPORT void GetBarCode(char* buffer, int32_t size);
/* 0 marks the waiting code as taken. */
RK_SCANNER_EXPORT void SetCodeComplete(int32_t complete);

#ifdef __cplusplus
}
#endif

#endif
