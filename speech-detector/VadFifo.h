#pragma once
#include <cstdint>

// Single-threaded sample queue between the host-rate input and the resampler frames.
struct VadFifo
{
  float* data;
  uint32_t capacity;
  uint32_t writeIndex;
  uint32_t readIndex;
  // capacity floats follow the record.
};
static_assert(sizeof(VadFifo) == 24);

uint64_t vadFifoGetSize(uint32_t capacity);
// Returns -1 when size is below vadFifoGetSize(capacity) or capacity is 0, else 0.
int32_t vadFifoInit(VadFifo* fifo, uint64_t size, uint32_t capacity);
// The caller keeps the count below the capacity; the write does not check free space.
void vadFifoWrite(VadFifo* fifo, const float* samples, uint32_t n);
uint32_t vadFifoCount(const VadFifo* fifo);
// The caller reads at most vadFifoCount() samples.
void vadFifoRead(VadFifo* fifo, float* out, uint32_t n);
