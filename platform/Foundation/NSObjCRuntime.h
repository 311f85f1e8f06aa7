#pragma once
// The integer and time types the Cocoa stand-ins share.

typedef long NSInteger;
typedef unsigned long NSUInteger;
typedef double NSTimeInterval;  // seconds
