#pragma once
// Counting semaphores of the dispatch library: wait takes one (blocking while there are none),
// signal gives one back.

#include <cstdint>

typedef uint64_t dispatch_time_t;
constexpr dispatch_time_t DISPATCH_TIME_FOREVER = ~0ull;
constexpr dispatch_time_t DISPATCH_TIME_NOW = 0;

typedef struct dispatch_semaphore_s* dispatch_semaphore_t;

// Null for a negative count.
dispatch_semaphore_t dispatch_semaphore_create(long value);
// 0 once one was taken; non-zero when the timeout (only NOW or FOREVER here) passed first.
long dispatch_semaphore_wait(dispatch_semaphore_t semaphore, dispatch_time_t timeout);
// Non-zero when a waiter was woken.
long dispatch_semaphore_signal(dispatch_semaphore_t semaphore);
void dispatch_release(dispatch_semaphore_t semaphore);
