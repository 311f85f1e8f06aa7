#pragma once
// The old system query by four-character selector. Only the system version is known.

#include "platform/CoreFoundation/CFBase.h"

enum : OSType { gestaltSystemVersion = 0x73797376 };  // 'sysv'
enum : OSErr { gestaltUndefSelectorErr = -5551 };

// The system version as 0x10MB (major 10, minor and bug fix as digits, each at most 9), for the
// 10 line only: for other selectors and systems the response is left as it was.
extern "C" OSErr Gestalt(OSType selector, SInt32* response);
