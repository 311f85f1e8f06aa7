#pragma once
// Everything of the object layer in one include.

#include "platform/CoreFoundation/CFArray.h"
#include "platform/CoreFoundation/CFBase.h"
#include "platform/CoreFoundation/CFBundle.h"
#include "platform/CoreFoundation/CFData.h"
#include "platform/CoreFoundation/CFDictionary.h"
#include "platform/CoreFoundation/CFNumber.h"
#include "platform/CoreFoundation/CFRunLoop.h"
#include "platform/CoreFoundation/CFString.h"
#include "platform/CoreFoundation/CFURL.h"
