#pragma once

#include "renderer/vector/VectorState.h"
#include "tests/renderer/vector/RecordingBackend.h"

#include <gtest/gtest.h>

// A context on a recording back end, inside an open 100 x 100 frame at pixel ratio 1.
class VectorTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    NVGbackend table = backend.table();
    ctx = vgCreateContext(&table);
    ASSERT_NE(ctx, nullptr);
    vgBeginFrame(ctx, 100, 100, 1);
  }
  void TearDown() override { vgDeleteContext(ctx); }

  const RecordedCall& lastCall() const { return backend.calls.back(); }

  RecordingBackend backend;
  NVGcontext* ctx = nullptr;
};
