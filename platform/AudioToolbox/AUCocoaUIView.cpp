#include "platform/AudioToolbox/AUCocoaUIView.h"

AUCocoaUIBase::~AUCocoaUIBase() = default;
