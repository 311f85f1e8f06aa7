#pragma once
#include <cstdint>

// In-place complex forward DFT, X[k] = sum_j x[j] e^(-2 pi i j k / n), unnormalised, natural order.
// n must be a power of two from 2 to 1024; any other n (or a null array) returns -1 and leaves the
// data untouched. Returns 0 on success.
int32_t vadFft(float* re, float* im, int32_t n);
