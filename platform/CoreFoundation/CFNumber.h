#pragma once
// Numbers and booleans.

#include "platform/CoreFoundation/CFBase.h"

typedef const struct __CFNumber* CFNumberRef;
typedef const struct __CFBoolean* CFBooleanRef;

typedef CFIndex CFNumberType;
enum : CFNumberType {
  kCFNumberSInt8Type = 1,
  kCFNumberSInt16Type = 2,
  kCFNumberSInt32Type = 3,
  kCFNumberSInt64Type = 4,
  kCFNumberFloat32Type = 5,
  kCFNumberFloat64Type = 6,
  kCFNumberCharType = 7,
  kCFNumberShortType = 8,
  kCFNumberIntType = 9,
  kCFNumberLongType = 10,
  kCFNumberLongLongType = 11,
  kCFNumberFloatType = 12,
  kCFNumberDoubleType = 13,
  kCFNumberCFIndexType = 14,
};

extern "C"
{

  CFTypeID CFNumberGetTypeID(void);
  // Null for an unknown type or a null value pointer.
  CFNumberRef CFNumberCreate(CFAllocatorRef allocator, CFNumberType type, const void* value);
  Boolean CFNumberIsFloatType(CFNumberRef number);
  // Stores the value converted to type; false when the conversion loses information (the
  // converted value is stored all the same) or the type is unknown (nothing stored).
  Boolean CFNumberGetValue(CFNumberRef number, CFNumberType type, void* value);

  extern const CFBooleanRef kCFBooleanTrue;
  extern const CFBooleanRef kCFBooleanFalse;
  CFTypeID CFBooleanGetTypeID(void);
  Boolean CFBooleanGetValue(CFBooleanRef boolean);

}  // extern "C"
