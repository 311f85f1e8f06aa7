#include "tests/test-plugin/TestGain.h"

#include "au-adapter/IPlugAUEntry.h"

IPLUG_AU_ENTRY_POINTS(testgain::TestGain, "TestGain_View", TestGain_Factory, TestGain_Entry)
