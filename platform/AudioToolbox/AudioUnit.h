#pragma once
// Everything of the audio unit interface in one include.

#include "platform/AudioToolbox/AUComponent.h"
#include "platform/AudioToolbox/AudioComponent.h"
#include "platform/AudioToolbox/AudioUnitProperties.h"
#include "platform/AudioToolbox/AudioUnitUtilities.h"
#include "platform/AudioToolbox/MusicDevice.h"
