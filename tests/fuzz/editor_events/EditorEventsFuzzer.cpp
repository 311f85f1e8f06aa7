// libFuzzer target: a person using the plug-in's editor, opened the way a host opens it (the
// bundle loaded, the view from the Cocoa view factory, in a window of the platform layer), while
// the host renders audio and pokes the instance. The input is a script of actions, one byte
// choosing each and the bytes after it giving its details: presses, drags, releases, moves, the
// wheel, double and right clicks (mostly on controls), keys, the pointer leaving, resizes by the
// corner and by the host, screen scale and appearance changes, clock ticks, audio blocks, host
// parameter changes, presets and saved states, resets and format changes, file drops, text on
// the clipboard, a second view of the instance, and the editor closed and opened again. Whatever
// the editor asks the person (alerts, file panels, colours, menus, typed text) is answered from
// the same script, and while a modal dialog waits the run loop's timers may fire. Frames are
// drawn only as the script's ticks move the clock, within a budget, so that runs stay quick.
// Each run ends by checking that every parameter is within its range and the state round-trips.

#include "host/EditorHost.h"
#include "host/HostedUnit.h"
#include "host/PluginBundle.h"
#include "platform/AppKit/NSEvent.h"
#include "platform/AppKit/NSMenu.h"
#include "platform/AppKit/NSPasteboard.h"
#include "platform/AppKit/NSTextField.h"
#include "platform/AppKit/NSWorkspace.h"
#include "platform/AppKit/Person.h"
#include "platform/AudioToolbox/AudioUnitProperties.h"
#include "platform/CoreFoundation/CFRunLoop.h"
#include "tests/fuzz/FuzzSupport.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

// ---- the script --------------------------------------------------------------------------------

// Reads the input from the front; past its end every read gives zero.
class Script
{
public:
  Script(const uint8_t* data, size_t size) : mData(data), mSize(size) {}

  bool Done() const { return mAt >= mSize; }
  size_t Position() const { return mAt; }
  uint8_t Byte() { return mAt < mSize ? mData[mAt++] : 0; }
  uint16_t Word() { return uint16_t(Byte() | Byte() << 8); }
  // 0 to 1.
  double Fraction() { return Byte() / 255.0; }

private:
  const uint8_t* mData;
  size_t mSize;
  size_t mAt = 0;
};

// What the script's bytes mean; the seeds are written with the same names.
enum Action : uint8_t {
  kClick,
  kPress,
  kRelease,
  kDrag,
  kMove,
  kWheel,
  kDoubleClick,
  kRightClick,
  kKey,
  kPointerLeaves,
  kCornerResize,
  kHostResize,
  kScreenScale,
  kAppearance,
  kTick,
  kAnswerPending,
  kAudio,
  kReopen,
  kHostParameter,
  kPreset,
  kStateRoundTrip,
  kDrop,
  kFocus,
  kSecondView,
  kClipboard,
  kHostReset,
  kActionCount
};

// Points of the editor's layout (832 by 446 at scale 1) where its controls are: the top bar (its
// plug-in menu at the left, its preset menu at the right), the items of those menus once open,
// the read-out boxes and the row below them, the setup page's value boxes and tabs, the graph's
// buttons and areas, the meters, the corner resizer, and the colour and export pages' buttons.
constexpr NSPoint kHotSpots[] = {
  // the top bar
  {70, 23},
  {170, 23},
  {205, 23},
  {240, 23},
  {281, 23},
  {323, 23},
  {371, 29},
  {432, 23},
  {465, 23},
  {670, 23},
  // the read-out boxes and the row below them
  {85, 108},
  {218, 108},
  {85, 210},
  {218, 210},
  {85, 312},
  {218, 312},
  {35, 97},
  {35, 199},
  {22, 408},
  {56, 408},
  {88, 408},
  {130, 408},
  {205, 408},
  {250, 408},
  // the setup page's tabs, their dots and their names
  {343, 384},
  {407, 384},
  {471, 384},
  {535, 384},
  {599, 384},
  {663, 384},
  {727, 384},
  {375, 384},
  {440, 384},
  {500, 384},
  {570, 384},
  {635, 384},
  {695, 384},
  {750, 384},
  // the setup page's value boxes
  {380, 131},
  {460, 131},
  {540, 131},
  {620, 131},
  {380, 219},
  {460, 219},
  {540, 219},
  {620, 219},
  {380, 307},
  {460, 307},
  {540, 307},
  {620, 307},
  {700, 307},
  // the graph's buttons, its areas and the meters
  {377, 65},
  {471, 65},
  {516, 65},
  {628, 65},
  {672, 65},
  {732, 65},
  {812, 89},
  {812, 113},
  {812, 137},
  {812, 161},
  {812, 185},
  {812, 209},
  {812, 233},
  {812, 257},
  {812, 281},
  {812, 305},
  {812, 329},
  {812, 353},
  {812, 410},
  {600, 250},
  {380, 250},
  {600, 408},
  {400, 250},
  {560, 250},
  // the corner resizer
  {829, 443},
  // the items of the open plug-in menu and preset menu
  {100, 48},
  {100, 68},
  {100, 88},
  {100, 104},
  {100, 120},
  {100, 136},
  {100, 156},
  {100, 176},
  {100, 196},
  {100, 216},
  {100, 232},
  {100, 252},
  {680, 48},
  {680, 68},
  {680, 84},
  {680, 104},
  {680, 120},
  {680, 140},
  {560, 140},
  {560, 160},
  {560, 180},
  {560, 200},
  // the meter colour page: loading, saving and resetting colours, the swatches and the bounds
  {434, 104},
  {476, 104},
  {518, 104},
  {634, 104},
  {676, 104},
  {718, 104},
  {496, 141},
  {496, 189},
  {496, 221},
  {496, 285},
  {696, 141},
  {416, 173},
  {416, 205},
  {496, 349},
  // the read-out colour page and the export page's switches
  {416, 125},
  {488, 125},
  {560, 125},
  {632, 125},
  {416, 317},
  {711, 125},
  {711, 157},
  {711, 189},
  {363, 181},
  {633, 281}};
constexpr size_t kHotSpotCount = sizeof kHotSpots / sizeof kHotSpots[0];

// Texts worth typing beside random ones: numbers too large, too small or not numbers at all,
// characters that are no text, and lone halves of a surrogate pair.
const std::u16string kTypedTexts[] = {u"",
                                      u"\r",
                                      u"0\r",
                                      u"-0\r",
                                      u"1e308\r",
                                      u"-1e308\r",
                                      u"99999999999999999999999999\r",
                                      u"nan\r",
                                      u"inf\r",
                                      u"+-.kK\r",
                                      u"0.000001\r",
                                      u"\xD800\r",
                                      u"\xDFFF",
                                      u"12345678901234567890123456789012345678901234567890\r",
                                      u"\t",
                                      u"\x1b",
                                      u"\x7f\x7f\x7f\r",
                                      u"\x08\r",
                                      u"3000\r",
                                      u"-23\r"};

// ---- the person ----------------------------------------------------------------------------------

// Every item of a menu and of its sub-menus, in order.
void CollectItems(NSMenu& menu, std::vector<NSMenuItem*>& items)
{
  for (NSInteger i = 0; i < menu.numberOfItems(); ++i)
  {
    NSMenuItem* item = menu.itemAtIndex(i);
    items.push_back(item);
    if (item->submenu())
      CollectItems(*item->submenu(), items);
  }
}

// Answers from the script, or as nobody would once it is read to the end.
class ScriptedPerson : public platform::Person
{
public:
  ScriptedPerson(Script& script, std::string folder) : mScript(script), mFolder(std::move(folder))
  {
    platform::SetPerson(this);
  }
  ~ScriptedPerson() override { platform::SetPerson(nullptr); }
  ScriptedPerson(const ScriptedPerson&) = delete;
  ScriptedPerson& operator=(const ScriptedPerson&) = delete;

  // What the host's run loop does while a modal dialog waits for the person: its timers fire.
  void WhileModal(std::function<void()> meanwhile) { mWhileModal = std::move(meanwhile); }

  platform::AlertButton PressAlertButton(const platform::AlertQuestion&) override
  {
    Wait();
    return platform::AlertButton(mScript.Byte() % 3);
  }

  std::optional<std::string> ChoosePath(const platform::FileQuestion& question) override
  {
    Wait();
    switch (mScript.Byte() % 8)
    {
      case 0: return std::nullopt;
      case 1:
        return mFolder + "/garbage" + (question.allowedFileTypes.empty() ? "" : "." + question.allowedFileTypes[0]);
      case 2: return mFolder + "/empty";
      case 3: return mFolder;
      case 4: return mFolder + "/no such folder/file";
      case 5: return mFolder + "/" + std::string(5000, 'n');
      case 6: return mFolder + "/line\nbreak \xff\xfe";
      default:
        return mFolder + "/chosen" + std::to_string(mScript.Byte() % 4) + (question.file.empty() ? "" : question.file);
    }
  }

  // Colours of the extended range too: a wide-gamut colour expressed in device RGB has
  // components below 0 and above 1.
  std::vector<NSColor> PickColors(const NSColor&) override
  {
    const uint8_t kind = mScript.Byte();
    std::vector<NSColor> colours(kind % 4, NSColor::colorWithDeviceRed(0, 0, 0, 1));
    const auto component = [&] { return kind & 4 ? mScript.Fraction() * 2.0 - 0.5 : mScript.Fraction(); };
    for (NSColor& colour : colours)
      colour = NSColor::colorWithDeviceRed(component(), component(), component(), component());
    return colours;
  }

  NSMenuItem* ChooseMenuItem(NSMenu& menu) override
  {
    Wait();
    std::vector<NSMenuItem*> items;
    CollectItems(menu, items);
    const size_t choice = mScript.Byte() % (items.size() + 1);
    return choice < items.size() ? items[choice] : nullptr;
  }

  std::u16string TypeIntoField(const NSTextField&) override
  {
    const uint8_t kind = mScript.Byte();
    if (kind % 2 == 0)
      return kTypedTexts[(kind / 2) % std::size(kTypedTexts)];
    std::u16string typed(mScript.Byte() % 40, u' ');
    for (char16_t& unit : typed)
      unit = mScript.Word();
    if (kind & 2)
      typed += u'\r';
    return typed;
  }

private:
  void Wait()
  {
    if (mWhileModal)
      mWhileModal();
  }

  Script& mScript;
  std::string mFolder;
  std::function<void()> mWhileModal;
};

// ---- the host -----------------------------------------------------------------------------------

constexpr UInt32 kMaxBlock = 4096;
constexpr double kIdlePeriod = 0.02;  // how often the instance's idle work runs, editor or not
// With VANTORELIX_FUZZ_LIGHT set (the short runs of the test command, under the sanitizers) a run
// does a tenth of the work, so that the few minutes given explore more inputs.
const bool kLight = std::getenv("VANTORELIX_FUZZ_LIGHT") != nullptr;
const uint64_t kMaxFramesPerRun = kLight ? 48000 * 2 : 48000 * 20;  // the audio one run renders at most
// What the frames of one run may draw at most, and the drawables its resizes may allocate: a frame
// of a large editor on a dense screen costs a hundred small ones.
const double kMaxPixelsPerRun = 832.0 * 446 * (kLight ? 12 : 120);
const double kMaxPixelsResizedPerRun = kLight ? 6e6 : 24e6;
const int kMaxOpensPerRun = kLight ? 1 : 4;  // each opening reads the fonts and builds the editor again

// The signal the next blocks carry, chosen by the script.
struct Signal
{
  uint8_t kind = 0;
  double level = 0.1;
  double phase = 0.0;
};

OSStatus SupplyInput(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                     AudioBufferList* data)
{
  auto& signal = *static_cast<Signal*>(refCon);
  for (UInt32 c = 0; c < data->mNumberBuffers; ++c)
  {
    auto* out = static_cast<float*>(data->mBuffers[c].mData);
    if (!out)
      continue;
    double phase = signal.phase;
    for (UInt32 i = 0; i < frames; ++i, phase += 0.0625)
    {
      switch (signal.kind % 4)
      {
        case 0: out[i] = 0.0f; break;
        case 1: out[i] = float(signal.level * std::sin(phase)); break;
        case 2: out[i] = float(std::sin(phase) >= 0.0 ? signal.level : -signal.level); break;
        default: out[i] = float(signal.level * ((int(phase * 977.0) % 2001) / 1000.0 - 1.0)); break;
      }
    }
  }
  signal.phase += 0.0625 * frames;
  return noErr;
}

struct Transport
{
  bool playing = true;
  bool changed = false;
  double sample = 0.0;
};

OSStatus TransportState(void* userData, Boolean* playing, Boolean* changed, Float64* sample, Boolean* cycling,
                        Float64* cycleStart, Float64* cycleEnd)
{
  auto& transport = *static_cast<Transport*>(userData);
  *playing = transport.playing;
  *changed = transport.changed;
  transport.changed = false;
  *sample = transport.sample;
  *cycling = false;
  *cycleStart = *cycleEnd = 0.0;
  return noErr;
}

// The instance every run uses: made once, because making one costs more than most runs. Each run
// puts it back into the state it had when it was made (saved in kDefaultState), so that what a
// run finds depends on its own input.
AudioUnit Unit()
{
  static host::PluginBundle bundle;
  static const std::unique_ptr<host::Instance> instance = [] {
    fuzz::Require(bundle.Open(VANTORELIX_BUNDLE, false));
    auto made = std::make_unique<host::Instance>(bundle.Component());
    fuzz::Require(made->Status() == noErr);
    return made;
  }();
  return instance->Unit();
}

constexpr const char* kDefaultState = "default-state";

// The output parameters of the instance as it was made, which the state does not hold.
const std::vector<std::pair<AudioUnitParameterID, float>>& FirstOutputs()
{
  static const std::vector<std::pair<AudioUnitParameterID, float>> outputs = [] {
    const host::HostedUnit hosted(Unit());
    std::vector<std::pair<AudioUnitParameterID, float>> values;
    for (const host::ParameterDescription& parameter : hosted.Parameters())
      if (parameter.name.starts_with("OUT:"))
        values.emplace_back(parameter.id, hosted.Value(parameter.id));
    return values;
  }();
  return outputs;
}

// The editor of a second instance stays open for the whole process, as another track's would in a
// host: the fonts, pictures and vector images that editors share are then read from their files
// once, not again by every run that opens its editor.
void KeepResourcesLoaded()
{
  static host::PluginBundle bundle;
  static std::unique_ptr<host::Instance> instance;
  static std::unique_ptr<host::EditorHost> editor;
  fuzz::Require(bundle.Open(VANTORELIX_BUNDLE, false));
  instance = std::make_unique<host::Instance>(bundle.Component());
  fuzz::Require(instance->Status() == noErr);
  editor = std::make_unique<host::EditorHost>(instance->Unit());
  fuzz::Require(editor->Open().empty());
}

// What a run saw, folded into one number (FNV-1a): after each action where the script stood and
// what the editor showed, and at the end every parameter. With VANTORELIX_FUZZ_PATHS naming a file,
// each run appends its input's digest and this one, so that tools/fuzz-replay can tell whether an
// input takes the same path alone as after other inputs. The saved state is left out (it holds
// the time of day), and so are the frames' pixels (those of two runs of one input were seen one
// level apart in places, at other points of the virtual clock).
class PathDigest
{
public:
  void Add(const void* data, size_t size)
  {
    for (const auto* byte = static_cast<const uint8_t*>(data); size--; ++byte)
      mValue = (mValue ^ *byte) * 0x100000001b3u;
  }
  template <typename T>
  void Add(const T& value)
  {
    Add(&value, sizeof value);
  }
  uint64_t Value() const { return mValue; }

private:
  uint64_t mValue = 0xcbf29ce484222325u;
};

const char* const kPathsFile = std::getenv("VANTORELIX_FUZZ_PATHS");

// One run: the instance at a rate and a channel count of the script's, back in its first state,
// its editor open, and the script played against it.
class Session
{
public:
  Session(Script& script, ScriptedPerson& person, const std::string& folder)
  : mScript(script),
    mPerson(person),
    mFolder(folder),
    mUnit(Unit()),
    mHosted(mUnit),
    mEditor(mUnit),
    mOtherEditor(mUnit),
    mParameters(mHosted.Parameters()),
    mPresets(mHosted.FactoryPresets())
  {
    AlignClockToIdleWork();
    // The instance counts its refresh periods on from where an earlier run left them while the
    // rate stays the same: a start at another rate first sets them back to the start.
    const uint8_t format = script.Byte();
    Require(Prepare(format % 8 == 0 ? 1 : 0));
    mInitialized = Prepare(format);
    // What earlier runs measured goes too: neither the state nor a reset of the audio clears it,
    // and the output parameters show it until a block is rendered.
    if (const std::optional<host::ParameterDescription> reset = mHosted.Find("Reset"))
      mHosted.Set(reset->id, 1.0f);
    for (const auto& [id, value] : FirstOutputs())
      mHosted.Set(id, value);
    // Nor is text that an earlier run put on the clipboard there to paste.
    NSPasteboard::generalPasteboard().clearContents();
    Require(mHosted.LoadStateFile(fuzz::ScratchPath(kDefaultState)).empty());
    Require(AudioUnitReset(mUnit, kAudioUnitScope_Global, 0) == noErr);
    if (const std::optional<host::ParameterDescription> write = mHosted.Find("WriteAutomationData"))
      mHosted.Set(write->id, 1.0f);
    mScaleParameter = mHosted.Find("GUI Scale");
    mPerson.WhileModal([this] {
      // A dialog's modal loop still fires the run loop's timers, and the audio goes on.
      switch (mScript.Byte() % 4)
      {
        case 1: Tick(mScript.Byte() % 64 / 1000.0); break;
        case 2: Audio(); break;
        default: break;
      }
    });
    OpenEditor();
  }

  ~Session()
  {
    mPerson.WhileModal(nullptr);
    mOtherEditor.Close();
    mEditor.Close();
    // The instance's idle work serves what the run's last blocks and settings asked for, rather
    // than the next run's first tick.
    platform::AdvanceClock(kIdlePeriod);
    platform::RunMainLoop();
  }

  // Plays the script to its end, or until the editor took sizes whose drawables add up to more
  // than the run may allocate.
  void Play(PathDigest* path)
  {
    while (!mScript.Done() && mPixelsResized <= kMaxPixelsResizedPerRun)
    {
      Do(Action(mScript.Byte() % kActionCount));
      const double pixels = DrawablePixels();
      if (path)
        AddStep(*path, pixels);
      if (pixels != mLastDrawablePixels)
        mPixelsResized += pixels;
      mLastDrawablePixels = pixels;
    }
    RequireSoundState();
    if (path)
      for (const host::ParameterDescription& parameter : mParameters)
        path->Add(mHosted.Value(parameter.id));
  }

private:
  static void Require(bool condition) { fuzz::Require(condition); }

  // The instance's idle work runs every period from the clock's start, when the instance was made,
  // and earlier runs leave the clock anywhere between two of its ticks: each run starts just after
  // one, so that the same ticks of the script serve the same requests of the audio.
  static void AlignClockToIdleWork()
  {
    const auto nanoseconds = [](double seconds) { return std::llround(seconds * 1e9); };
    const long long period = nanoseconds(kIdlePeriod);
    const long long late = nanoseconds(CFAbsoluteTimeGetCurrent()) % period;
    platform::AdvanceClock(double((period - late) % period) / 1e9);
    platform::RunMainLoop();
  }

  // After an action: how far the script was read (what the editor asked the person takes bytes
  // too), the view's size and its drawable's.
  void AddStep(PathDigest& path, double drawablePixels) const
  {
    const NSView* view = mEditor.View();
    path.Add(mScript.Position());
    path.Add(view ? view->frame().size : NSMakeSize(-1, -1));
    path.Add(drawablePixels);
  }

  // Whatever the person did, every parameter the host sees holds a number within its range, and
  // the state the host saves is taken back.
  void RequireSoundState()
  {
    for (const host::ParameterDescription& parameter : mParameters)
    {
      const double value = mHosted.Value(parameter.id);
      Require(std::isfinite(value) && value >= parameter.min && value <= parameter.max);
    }
    const std::string path = mFolder + "/final-state";
    Require(mHosted.SaveStateFile(path).empty() && mHosted.LoadStateFile(path).empty());
  }

  // Sets the stream format (a rate and a channel count chosen by the byte), the block size, the
  // transport and the input, and initialises the instance; false when it refuses any of them,
  // and then the editor is used with an instance that does not render.
  bool Prepare(uint8_t format)
  {
    constexpr double kRates[] = {44100, 48000, 96000, 192000, 8000, 22050, 88200, 384000};
    mSampleRate = kRates[format % 8];
    mChannels = (format & 8) ? 1 : 2;
    const HostCallbackInfo callbacks{&mTransport, nullptr, nullptr, TransportState, nullptr};
    const AURenderCallbackStruct callback{SupplyInput, &mSignal};
    const UInt32 block = kMaxBlock;
    Require(AudioUnitUninitialize(mUnit) == noErr);
    const bool ready = mHosted.SetStreamFormats(mSampleRate, mChannels).empty() &&
                       Set(kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, &block, sizeof block) &&
                       Set(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, &callbacks, sizeof callbacks) &&
                       Set(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, &callback, sizeof callback) &&
                       AudioUnitInitialize(mUnit) == noErr;
    mBuffers.resize(size_t(kMaxBlock) * mChannels);
    mList.resize(sizeof(AudioBufferList) + sizeof(AudioBuffer) * mChannels);
    return ready;
  }

  // The host resets the instance, or stops it and starts it again at another format, while the
  // editor is open.
  void HostReset()
  {
    const uint8_t how = mScript.Byte();
    switch (how % 3)
    {
      case 0: Require(AudioUnitReset(mUnit, kAudioUnitScope_Global, 0) == noErr); break;
      case 1: mInitialized = Prepare(how / 3); break;
      default:
        Require(AudioUnitUninitialize(mUnit) == noErr);
        mInitialized = false;
        break;
    }
  }

  // Opens the editor and lets it show its first frame, before a person can reach it.
  void OpenEditor()
  {
    ++mOpens;
    Require(mEditor.Open().empty());
    platform::AdvanceClock(1.0 / 60.0);
    platform::RunMainLoop();
  }

  bool Set(AudioUnitPropertyID id, AudioUnitScope scope, const void* data, UInt32 size)
  {
    return AudioUnitSetProperty(mUnit, id, scope, 0, data, size) == noErr;
  }

  void Do(Action action)
  {
    NSWindow* window = mEditor.Window();
    if (!window && action != kReopen && action != kAudio && action != kHostParameter && action != kPreset &&
        action != kStateRoundTrip && action != kTick && action != kSecondView && action != kClipboard &&
        action != kHostReset)
      return;
    switch (action)
    {
      case kClick:
      {
        const NSPoint at = Point();
        const NSEventModifierFlags flags = Modifiers();
        Mouse(NSEventTypeLeftMouseDown, at, flags);
        Mouse(NSEventTypeLeftMouseUp, at, flags);
        break;
      }
      case kPress: Mouse(NSEventTypeLeftMouseDown, Point(), Modifiers()); break;
      case kRelease: Mouse(NSEventTypeLeftMouseUp, Point(), Modifiers()); break;
      case kDrag:
        Mouse(mScript.Byte() % 4 ? NSEventTypeLeftMouseDragged : NSEventTypeRightMouseDragged, Point(), Modifiers());
        break;
      case kMove: Mouse(NSEventTypeMouseMoved, Point(), Modifiers()); break;
      case kWheel:
      {
        const NSPoint at = Point();
        const double delta = (int8_t(mScript.Byte())) / 8.0;
        window->sendEvent(NSEvent::scrollWheelEvent(InWindow(at), delta, Modifiers(), window));
        break;
      }
      case kDoubleClick:
      {
        const NSPoint at = Point();
        const NSEventModifierFlags flags = Modifiers();
        const NSInteger clicks = 2 + mScript.Byte() % 2;
        for (NSInteger count = 1; count <= clicks; ++count)
        {
          Mouse(NSEventTypeLeftMouseDown, at, flags, count);
          Mouse(NSEventTypeLeftMouseUp, at, flags, count);
        }
        break;
      }
      case kRightClick:
      {
        const NSPoint at = Point();
        Mouse(NSEventTypeRightMouseDown, at, Modifiers());
        Mouse(NSEventTypeRightMouseUp, at, Modifiers());
        break;
      }
      case kKey: Key(); break;
      case kPointerLeaves:
        switch (mScript.Byte() % 3)
        {
          case 0: Mouse(NSEventTypeMouseMoved, NSMakePoint(-50, -50), NSEventModifierFlags(0)); break;
          case 1:
            window->sendEvent(NSEvent::mouseEventWithType(NSEventTypeMouseExited, NSMakePoint(-1, -1),
                                                          NSEventModifierFlags(0), window));
            break;
          default:
            window->sendEvent(
              NSEvent::mouseEventWithType(NSEventTypeMouseEntered, InWindow(Point()), NSEventModifierFlags(0), window));
            break;
        }
        break;
      case kCornerResize: CornerResize(); break;
      case kHostResize: mEditor.View()->setFrameSize(NSMakeSize(mScript.Word() % 2400, mScript.Word() % 1400)); break;
      case kScreenScale:
      {
        // The screens a Mac has; the editor's own scale goes up to 3 on top of these.
        window->setBackingScaleFactor(mScript.Byte() % 2 ? 2.0 : 1.0);
        break;
      }
      case kAppearance:
        window->setAppearance(mScript.Byte() % 2 ? NSAppearanceNameDarkAqua : NSAppearanceNameAqua);
        break;
      case kTick: Tick(mScript.Byte() % 64 / 1000.0); break;
      case kAnswerPending: platform::RunMainLoop(); break;
      case kAudio: Audio(); break;
      case kReopen:
        if (mOpens == kMaxOpensPerRun)
          break;
        mEditor.Close();
        if (mScript.Byte() % 4)
          OpenEditor();
        break;
      case kHostParameter: HostParameter(); break;
      case kPreset:
        if (!mPresets.empty())
          mHosted.LoadPreset(std::to_string(mScript.Byte() % mPresets.size()));
        break;
      case kStateRoundTrip:
      {
        const std::string path = mFolder + "/host-state";
        if (mScript.Byte() % 2)
          mHosted.SaveStateFile(path);
        mHosted.LoadStateFile(mScript.Byte() % 2 ? path : mFolder + "/garbage");
        break;
      }
      case kDrop:
      {
        auto pasteboard = std::make_shared<NSPasteboard>();
        pasteboard->setPropertyList({mScript.Byte() % 2 ? mFolder + "/garbage" : mFolder + "/host-state"},
                                    NSFilenamesPboardType);
        window->performDrag(NSDraggingInfo(pasteboard, InWindow(Point())));
        break;
      }
      case kFocus:
        switch (mScript.Byte() % 3)
        {
          case 0: window->resignKeyWindow(); break;
          case 1: window->makeKeyAndOrderFront(); break;
          default: mPen = !mPen; break;  // the person takes up or puts down a tablet pen
        }
        break;
      case kSecondView:
        // A host that opens another view of the same instance, or closes it again: the first view
        // stays in its window meanwhile.
        if (mOtherEditor.View())
          mOtherEditor.Close();
        else if (mOpens < kMaxOpensPerRun)
        {
          ++mOpens;
          mOtherEditor.Open();
        }
        break;
      case kClipboard: Clipboard(); break;
      case kHostReset: HostReset(); break;
      case kActionCount: break;
    }
  }

  // The editor's layout scale: view points per layout point.
  double Scale() const { return mScaleParameter ? std::max(0.1, double(mHosted.Value(mScaleParameter->id))) : 1.0; }

  // A point in the view: mostly near a control, else anywhere in or around the editor.
  NSPoint Point()
  {
    const uint8_t choice = mScript.Byte();
    if (choice < 200)
    {
      const NSPoint spot = kHotSpots[choice % kHotSpotCount];
      const double jitterX = int8_t(mScript.Byte()) / 16.0, jitterY = int8_t(mScript.Byte()) / 16.0;
      return NSMakePoint((spot.x + jitterX) * Scale(), (spot.y + jitterY) * Scale());
    }
    const NSSize size = mEditor.View()->frame().size;
    return NSMakePoint(mScript.Word() / 65535.0 * size.width * 1.2 - 20,
                       mScript.Word() / 65535.0 * size.height * 1.2 - 20);
  }

  // Mostly none; else shift, control, option and command by the low bits.
  NSEventModifierFlags Modifiers()
  {
    const uint8_t bits = mScript.Byte();
    if (bits >= 16)
      return NSEventModifierFlags(0);
    return NSEventModifierFlags(
      (bits & 1 ? NSEventModifierFlagShift : 0) | (bits & 2 ? NSEventModifierFlagControl : 0) |
      (bits & 4 ? NSEventModifierFlagOption : 0) | (bits & 8 ? NSEventModifierFlagCommand : 0));
  }

  // A point of the view in the window's coordinates.
  NSPoint InWindow(NSPoint inView) const { return mEditor.View()->convertPointToView(inView, nullptr); }

  void Mouse(NSEventType type, NSPoint inView, NSEventModifierFlags flags, NSInteger clickCount = 1)
  {
    NSWindow* window = mEditor.Window();
    if (!window)
      return;  // an earlier event of the same gesture closed the editor
    NSEvent event = NSEvent::mouseEventWithType(type, InWindow(inView), flags, window, clickCount);
    if (mPen)
      event.setSubtype(NSEventSubtypeTabletPoint);
    window->sendEvent(event);
  }

  void Key()
  {
    const uint8_t code = mScript.Byte() % 128;
    const uint8_t kind = mScript.Byte();
    std::u16string characters;
    if (kind % 4 == 1)
      characters = char16_t(0x20 + mScript.Byte() % 95);
    else if (kind % 4 == 2)
      characters = char16_t(NSUpArrowFunctionKey + mScript.Byte() % 32);
    else if (kind % 4 == 3)
      characters = char16_t(mScript.Word());
    const NSEventModifierFlags flags = Modifiers();
    NSWindow* window = mEditor.Window();
    window->sendEvent(NSEvent::keyEventWithType(NSEventTypeKeyDown, flags, window, characters, characters, code));
    if ((window = mEditor.Window()))
      window->sendEvent(NSEvent::keyEventWithType(NSEventTypeKeyUp, flags, window, characters, characters, code));
  }

  // Another application puts text on the clipboard: bytes of any kind, or a long run of digits.
  void Clipboard()
  {
    std::string text;
    if (mScript.Byte() % 2)
    {
      text.resize(mScript.Byte());
      for (char& c : text)
        c = char(mScript.Byte());
    }
    else
      text.assign(size_t(mScript.Word() % 4096) * 4, '9');
    NSPasteboard& pasteboard = NSPasteboard::generalPasteboard();
    pasteboard.clearContents();
    pasteboard.setString(text, NSStringPboardType);
  }

  // A drag of the corner resizer to a point, with the control key (rescaling) or without.
  void CornerResize()
  {
    const NSEventModifierFlags flags = mScript.Byte() % 2 ? NSEventModifierFlagControl : NSEventModifierFlags(0);
    const NSSize size = mEditor.View()->frame().size;
    const NSPoint grab = NSMakePoint(size.width - 3, size.height - 3);
    // The pointer may end anywhere on the screen, above and left of the editor too.
    const NSPoint end = NSMakePoint(int(mScript.Word() % 4000) - 1000, int(mScript.Word() % 2600) - 800);
    Mouse(NSEventTypeLeftMouseDown, grab, flags);
    Mouse(NSEventTypeLeftMouseDragged, end, flags);
    Mouse(NSEventTypeLeftMouseUp, end, flags);
  }

  double DrawablePixels() const
  {
    const MTLSize drawable = mEditor.View() ? mEditor.View()->layer()->drawableSize() : MTLSize{0, 0, 1};
    return double(drawable.width) * double(drawable.height);
  }

  // Moves the clock on and runs what came due, frames included, within the run's budget.
  void Tick(double seconds)
  {
    const double pixels = DrawablePixels() * (std::ceil(seconds * 60.0) + 1.0);
    if (mPixelsDrawn + pixels > kMaxPixelsPerRun)
      return;
    mPixelsDrawn += pixels;
    platform::AdvanceClock(seconds);
    platform::RunMainLoop();
  }

  void Audio()
  {
    if (!mInitialized)
      return;
    mSignal.kind = mScript.Byte();
    mSignal.level = std::pow(10.0, -mScript.Byte() / 40.0) * (mScript.Byte() % 16 == 0 ? 4.0 : 1.0);
    const uint8_t blocks = 1 + mScript.Byte() % 16;
    const UInt32 frames = 1 + mScript.Word() % kMaxBlock;
    mTransport.playing = mScript.Byte() % 8 != 0;
    mTransport.changed = !mTransport.playing;
    for (uint8_t b = 0; b < blocks && mFramesRendered + frames <= kMaxFramesPerRun; ++b)
    {
      auto* list = reinterpret_cast<AudioBufferList*>(mList.data());
      list->mNumberBuffers = mChannels;
      for (UInt32 c = 0; c < mChannels; ++c)
        list->mBuffers[c] = AudioBuffer{1, frames * UInt32(sizeof(float)), &mBuffers[size_t(c) * kMaxBlock]};
      AudioTimeStamp time{};
      time.mSampleTime = mTransport.sample;
      time.mFlags = kAudioTimeStampSampleTimeValid;
      AudioUnitRenderActionFlags flags = 0;
      Require(AudioUnitRender(mUnit, &flags, &time, 0, frames, list) == noErr);
      mFramesRendered += frames;
      if (mTransport.playing)
        mTransport.sample += frames;
    }
  }

  // The host sets a parameter as automation would: anywhere in its range, at its ends, or
  // beyond them.
  void HostParameter()
  {
    if (mParameters.empty())
      return;
    const host::ParameterDescription& parameter = mParameters[mScript.Word() % mParameters.size()];
    const uint8_t where = mScript.Byte();
    const double span = double(parameter.max) - double(parameter.min);
    const double value = where < 240 ? parameter.min + span * (where / 239.0)
                                     : parameter.min + span * ((where - 240) % 2 ? 1e6 : -1e6);
    AudioUnitSetParameter(mUnit, parameter.id, kAudioUnitScope_Global, 0, AudioUnitParameterValue(value), 0);
  }

  Script& mScript;
  ScriptedPerson& mPerson;
  const std::string& mFolder;
  AudioUnit mUnit;
  host::HostedUnit mHosted;
  host::EditorHost mEditor;
  host::EditorHost mOtherEditor;
  std::vector<host::ParameterDescription> mParameters;
  std::vector<std::string> mPresets;
  std::optional<host::ParameterDescription> mScaleParameter;
  Signal mSignal;
  Transport mTransport;
  double mSampleRate = 48000;
  UInt32 mChannels = 2;
  bool mInitialized = false;  // rendering is refused otherwise
  std::vector<float> mBuffers;
  std::vector<uint8_t> mList;
  uint64_t mFramesRendered = 0;
  int mOpens = 0;
  bool mPen = false;
  double mPixelsDrawn = 0.0;
  double mPixelsResized = 0.0;
  double mLastDrawablePixels = 0.0;
};

// A folder of files the person may pick: one of bytes that are no format at all and one empty.
std::string FreshFolder()
{
  const std::string folder = fuzz::ScratchPath("person");
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  // What the plug-in keeps between sessions goes too, so that each run starts the same.
  std::filesystem::remove_all(fuzz::ScratchPath(".local"), ignored);
  std::filesystem::create_directories(folder);
  const char garbage[] = "<?xml version=\"1.0\"?>\n<Vantorelix>\xff\x00\x01 not a preset";
  fuzz::Require(fuzz::WriteFile(folder + "/garbage", garbage, sizeof garbage) &&
                fuzz::WriteFile(folder + "/empty", "", 0));
  return folder;
}

// ---- seeds -----------------------------------------------------------------------------------------

// A seed written as actions and their bytes.
class SeedWriter
{
public:
  explicit SeedWriter(uint8_t format) { mBytes.push_back(format); }
  SeedWriter& Bytes(std::initializer_list<uint8_t> bytes)
  {
    mBytes.insert(mBytes.end(), bytes);
    return *this;
  }
  // A click on hot spot n, without modifiers.
  SeedWriter& Click(uint8_t spot) { return Bytes({kClick, spot, 0, 0, 0xff}); }
  SeedWriter& DoubleClick(uint8_t spot) { return Bytes({kDoubleClick, spot, 0, 0, 0xff, 0}); }
  // A key typing a character of the ASCII range, without modifiers.
  SeedWriter& Key(uint8_t character)
  {
    return character == '\r' ? Bytes({kKey, 36, 3, '\r', 0, 0xff})
                             : Bytes({kKey, 0, 1, uint8_t(character - 0x20), 0xff});
  }
  SeedWriter& Tick(uint8_t ms) { return Bytes({kTick, ms}); }
  SeedWriter& Audio(uint8_t blocks) { return Bytes({kAudio, 1, 40, 1, uint8_t(blocks - 1), 0x00, 0x02, 1}); }
  void Write(const char* name) const
  {
    fuzz::Require(fuzz::WriteFile(fuzz::SeedFolder() + "/" + name, mBytes.data(), mBytes.size()));
  }

private:
  std::vector<uint8_t> mBytes;
};

// Hot spots by what they are, as listed in kHotSpots.
enum Spot : uint8_t {
  kPluginMenu = 0,
  kGraphButton = 7,
  kSetupButton = 8,
  kPresetMenu = 9,
  kFirstReadout = 10,
  kFirstTab = 24,
  kFirstValueBox = 38,
  kFirstGraphButton = 51,
  kGraphArea = 70,
  kCorner = 75,
  kFirstPluginMenuItem = 76,
  kFirstPresetMenuItem = 88,
};

void WriteSeeds()
{
  // Each setup page, opened from its tab, with a value box double-clicked and a number typed.
  for (uint8_t first : {0, 4})
  {
    SeedWriter seed(1);
    seed.Audio(8).Tick(40).Click(kSetupButton).Tick(20);
    for (uint8_t page = first; page < first + 4 && page < 7; ++page)
    {
      seed.Click(uint8_t(kFirstTab + page)).Tick(20).DoubleClick(uint8_t(kFirstValueBox + 1 + page % 3));
      seed.Bytes({kAnswerPending, uint8_t(2 * (4 + page))}).Key(uint8_t('1' + page)).Key('\r').Tick(20);
    }
    seed.Write(("setup-pages-" + std::to_string(first)).c_str());
  }
  // The graph with audio flowing, its buttons, a drag across it and the wheel.
  SeedWriter graph(1);
  graph.Audio(16).Click(kGraphButton).Tick(40);
  for (uint8_t button = 0; button < 6; ++button)
    graph.Click(uint8_t(kFirstGraphButton + button)).Tick(20);
  graph.Bytes({kPress, kGraphArea, 0, 0, 0xff, kDrag, 1, kGraphArea, 100, 0, 0xff, kRelease, kGraphArea, 100, 0, 0xff});
  graph.Bytes({kWheel, kGraphArea, 0, 0, 0x10, 0xff}).Audio(16).Tick(60);
  graph.Write("graph");
  // The plug-in menu and the preset menu opened and items of each chosen; what they ask the
  // person (a file, an alert) is answered.
  for (uint8_t first = 1; first < 4; ++first)
  {
    SeedWriter menus(0);
    for (uint8_t item = first; item < 12; item = uint8_t(item + 3))
    {
      menus.Click(kPluginMenu).Tick(40).Click(uint8_t(kFirstPluginMenuItem + item)).Tick(40);
      if (item < 10)
        menus.Click(kPresetMenu).Tick(40).Click(uint8_t(kFirstPresetMenuItem + item)).Tick(40);
    }
    menus.Write(("menus-" + std::to_string(first)).c_str());
  }
  // A read-out box double-clicked and a text typed, a resize by the corner, then the editor
  // closed and opened again while audio plays.
  SeedWriter other(2);
  other.Audio(4).DoubleClick(kFirstReadout).Bytes({kAnswerPending, 1, 5, 'x', 0, 'y', 0}).Tick(20);
  other.Bytes({kSecondView, kSecondView}).Tick(20);
  other.Bytes({kCornerResize, 1, 0x00, 0x04, 0x00, 0x02}).Tick(30);
  other.Bytes({kReopen, 1}).Audio(4).Tick(40).Click(kCorner);
  other.Write("resize-reopen");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
  fuzz::UsePrivateHome();
  // The editor checks for updates: the check must fail at once on a closed local port.
  fuzz::Require(setenv("VANTORELIX_UPDATE_SERVER", "http://127.0.0.1:9", 1) == 0);
  // The plug-in menu's links and the data folder would start the desktop's browser, run after run.
  platform::SetOpener([](const std::string&) { return true; });
  fuzz::Require(host::HostedUnit(Unit()).SaveStateFile(fuzz::ScratchPath(kDefaultState)).empty());
  FirstOutputs();
  KeepResourcesLoaded();
  if (!fuzz::SeedFolder().empty())
    WriteSeeds();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  const std::string folder = FreshFolder();
  Script script(data, size);
  ScriptedPerson person(script, folder);
  PathDigest path;
  Session(script, person, folder).Play(kPathsFile ? &path : nullptr);
  if (kPathsFile)
  {
    PathDigest input;
    input.Add(data, size);
    FILE* file = std::fopen(kPathsFile, "a");
    fuzz::Require(file &&
                  std::fprintf(file, "%016llx %016llx\n", static_cast<unsigned long long>(input.Value()),
                               static_cast<unsigned long long>(path.Value())) > 0 &&
                  std::fclose(file) == 0);
  }
  return 0;
}
