#pragma once
// The two exported entry points of an audio unit plug-in, made for a plug-in class by
// IPLUG_AU_ENTRY_POINTS:
// - the factory, which returns an instance block: the plug-in interface (Open, Close, Lookup),
//   the construct and destruct entries, then the plug-in object's storage;
// - the component entry routine of the older road, which receives every selector with its
//   arguments in a parameter block;
// and registers the view factory class under its name when the library is loaded.
// The plug-in class must have IPlugAU as its first base, so that the object starts the storage.

#include "au-adapter/IPlugAU.h"
#include "au-adapter/IPlugAUViewFactory.h"

#include <new>

namespace iplug {

// Builds the plug-in object in storage, or in a new allocation when storage is null.
using PlugCreator = IPlugAU* (*)(void* storage);

struct AUInstanceBlock
{
  AudioComponentPlugInInterface mInterface;
  PlugCreator mConstruct;
  void (*mDestruct)(IPlugAU* plug);
  void* mReserved[2];
  // the plug-in object follows
};
static_assert(sizeof(AUInstanceBlock) == 8 * sizeof(void*));

// A new instance block for an object of plugSize bytes; the object is built by Open.
AudioComponentPlugInInterface* AUFactory(PlugCreator create, size_t plugSize);

template <class Plug>
IPlugAU* CreatePlugInstance(void* storage, const char* viewClassName)
{
  const InstanceInfo info{viewClassName};
  return storage ? new (storage) Plug(info) : new Plug(info);
}

}  // namespace iplug

#define IPLUG_AU_ENTRY_POINTS(PLUG, VIEW_CLASS, FACTORY, ENTRY)                                                        \
  namespace {                                                                                                          \
  iplug::IPlugAU* CreatePlugForHost(void* storage)                                                                     \
  {                                                                                                                    \
    return iplug::CreatePlugInstance<PLUG>(storage, VIEW_CLASS);                                                       \
  }                                                                                                                    \
  const bool kViewFactoryRegistered = platform::RegisterClass(                                                         \
    VIEW_CLASS, [] { return std::unique_ptr<platform::NSObject>(new iplug::AUViewFactory(VIEW_CLASS)); });             \
  }                                                                                                                    \
  extern "C" __attribute__((visibility("default"))) AudioComponentPlugInInterface* FACTORY(                            \
    const AudioComponentDescription*)                                                                                  \
  {                                                                                                                    \
    return iplug::AUFactory(CreatePlugForHost, sizeof(PLUG));                                                          \
  }                                                                                                                    \
  extern "C" __attribute__((visibility("default"))) ComponentResult ENTRY(ComponentParameters* params, Handle storage) \
  {                                                                                                                    \
    return iplug::IPlugAU::ComponentEntry(params, reinterpret_cast<iplug::IPlugAU*>(storage), CreatePlugForHost);      \
  }
