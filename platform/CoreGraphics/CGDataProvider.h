#pragma once
// Sources of bytes for fonts: a file read whole, or a buffer the caller hands over with a
// function that frees it when the provider goes.

#include "platform/CoreFoundation/CFData.h"
#include "platform/CoreFoundation/CFURL.h"

typedef const struct CGDataProvider* CGDataProviderRef;
typedef void (*CGDataProviderReleaseDataCallback)(void* info, const void* data, size_t size);

// Null when the URL is not a readable file.
CGDataProviderRef CGDataProviderCreateWithURL(CFURLRef url);
// The provider reads data in place and calls releaseData (when given) as it goes.
CGDataProviderRef CGDataProviderCreateWithData(void* info, const void* data, size_t size,
                                               CGDataProviderReleaseDataCallback releaseData);
// A copy of all the bytes; null for a null provider.
CFDataRef CGDataProviderCopyData(CGDataProviderRef provider);
CGDataProviderRef CGDataProviderRetain(CGDataProviderRef provider);
// Null is ignored.
void CGDataProviderRelease(CGDataProviderRef provider);
