#pragma once
// A fixture that fails any test leaving objects of the object layer alive.

#include "platform/CoreFoundation/CFBase.h"

#include <gtest/gtest.h>

class LiveObjects : public ::testing::Test
{
protected:
  void TearDown() override { EXPECT_EQ(platform::LiveObjectCount(), mBaseline) << "objects leaked"; }

private:
  const long mBaseline = platform::LiveObjectCount();
};
