#include "speech-detector/VadFifo.h"

#include <algorithm>

uint64_t vadFifoGetSize(uint32_t capacity)
{
  return 4ull * capacity + sizeof(VadFifo);
}

int32_t vadFifoInit(VadFifo* fifo, uint64_t size, uint32_t capacity)
{
  if (!fifo || capacity == 0 || size < vadFifoGetSize(capacity))
    return -1;
  fifo->data = reinterpret_cast<float*>(fifo + 1);
  fifo->capacity = capacity;
  fifo->writeIndex = 0;
  fifo->readIndex = 0;
  std::fill_n(fifo->data, capacity, 0.0f);
  return 0;
}

void vadFifoWrite(VadFifo* fifo, const float* samples, uint32_t n)
{
  const uint32_t first = std::min(n, fifo->capacity - fifo->writeIndex);
  std::copy_n(samples, first, fifo->data + fifo->writeIndex);
  std::copy_n(samples + first, n - first, fifo->data);
  fifo->writeIndex = (fifo->writeIndex + n) % fifo->capacity;
}

uint32_t vadFifoCount(const VadFifo* fifo)
{
  return fifo->writeIndex >= fifo->readIndex ? fifo->writeIndex - fifo->readIndex
                                             : fifo->writeIndex + fifo->capacity - fifo->readIndex;
}

void vadFifoRead(VadFifo* fifo, float* out, uint32_t n)
{
  const uint32_t first = std::min(n, fifo->capacity - fifo->readIndex);
  std::copy_n(fifo->data + fifo->readIndex, first, out);
  std::copy_n(fifo->data, n - first, out + first);
  fifo->readIndex = (fifo->readIndex + n) % fifo->capacity;
}
