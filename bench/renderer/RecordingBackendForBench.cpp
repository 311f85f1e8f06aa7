// The benchmarks drive the vector context through the same recording back end as its tests.
#include "tests/renderer/vector/RecordingBackend.cpp"
