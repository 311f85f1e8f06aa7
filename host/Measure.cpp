#include "host/Measure.h"

#include "platform/CoreFoundation/CFRunLoop.h"
#include "reports/AudioFile.h"
#include "reports/AudioFileIO.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>

namespace host {

namespace {

std::string ReadError(int code)
{
  switch (code)
  {
    case audiofile::kCannotOpen: return "cannot open it";
    case audiofile::kNotAudioFile: return "it is not a WAV or AIFF file (give --raw for headerless PCM)";
    case audiofile::kUnsupported: return "its sample format is not supported";
    case audiofile::kAudioBeforeFormat:
      return "its audio comes before its format, which a stream cannot go back to (give the file by name)";
    case audiofile::kTooMuchBeforeAudio: return "more than 64 MB come before its audio";
    case audiofile::kInterrupted: return "it was interrupted before its header had arrived";
    case audiofile::kNoTemporary:
    case audiofile::kNoSamples: return "it is too large to hold in memory";
    default: return "its header is damaged";
  }
}

// The plug-in's integrated loudness and loudness range hold the last hour of the audio.
constexpr double kLoudnessHorizonSeconds = 3600.0;

std::string WriteError(int code)
{
  switch (code)
  {
    case audiofile::kCannotOpen: return "cannot create it";
    case audiofile::kTooLarge: return "the audio does not fit in a WAV file or on the disk";
    case audiofile::kNoTemporary: return "not enough memory to encode it";
    default: return "its format cannot be written";
  }
}

// The file's audio, read once and in order a stretch at a time as the plug-in pulls it, so that
// a long file is never held in memory whole and standard input is measured as it arrives. Its
// frames are numbered from the first frame of the playback on.
class FileStream
{
public:
  explicit FileStream(const MeasureOptions& options) : mOptions(options), mStart(options.firstFrame)
  {
    audioFileInit(&mChunk);
  }
  ~FileStream()
  {
    audioFileFree(&mChunk);
    if (mFile && mFile != stdin)
      std::fclose(mFile);
  }
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  // Reads the header; returns 0 or the reader's code.
  int Open()
  {
    mFile = mOptions.file == "-" ? stdin : std::fopen(mOptions.file.c_str(), "rb");
    if (!mFile)
      return audiofile::kCannotOpen;
    const RawFormat& raw = mOptions.rawFormat;
    const int code = mOptions.raw ? audioFileStreamOpenRaw(&mStream, mFile, raw.channels, raw.bits, raw.sampleRate, 0,
                                                           raw.altEncoding, raw.bigEndian)
                                  : audioFileStreamOpen(&mStream, mFile);
    return code;
  }

  // The frames the file holds, where they are known before it is read (a file that can seek).
  uint64_t Frames() const { return mStream.frames; }
  bool FramesKnown() const { return mStream.frames != kAudioFileUnknownLength; }
  // Where the header announces more frames than the file held, once it has been read to its end.
  bool CutShort() const { return mStream.ended && mStream.announcedFrames > mStream.framesRead; }
  uint64_t FramesRead() const { return mStream.framesRead; }
  uint32_t SampleRate() const { return mStream.sampleRate; }
  uint32_t ChannelMask() const { return mStream.channelMask; }
  uint16_t Bits() const { return mStream.bits; }
  uint16_t Channels() const { return mStream.channels; }
  int Error() const { return mError; }

  // Makes up to `frames` frames from position on available (position at or after that of the
  // last call); returns how many the file holds there, fewer only at its end. A stretch is read
  // as a block needs it, 64 KB of samples at the least: small enough for the C library to serve
  // from memory it has used before, where a stretch of a whole short file came as fresh pages,
  // each a fault on first touch.
  uint32_t Fetch(uint64_t position, uint32_t frames)
  {
    const uint64_t end = mStart + mChunk.frames;
    if (position + frames > end && !mStream.ended)
    {
      const uint32_t stretch = std::max(frames, kChunkSamples / mStream.channels);
      mError = audioFileStreamRead(&mStream, &mChunk, uint32_t(end - position), stretch);
      if (mError != 0)
        return 0;
      mStart = position;
    }
    return uint32_t(std::min<uint64_t>(frames, mStart + mChunk.frames - position));
  }
  // Channel c from the position of the last Fetch on.
  const float* Channel(uint32_t c, uint64_t position) const
  {
    return mChunk.samples + size_t(c) * mChunk.frames + (position - mStart);
  }

private:
  static constexpr uint32_t kChunkSamples = 16384;

  const MeasureOptions& mOptions;
  FILE* mFile = nullptr;
  AudioFileStream mStream{};
  AudioFileBuffer mChunk;
  uint64_t mStart;  // the frame of the chunk's first frame
  int mError = 0;
};

// The file's audio, handed to the plug-in through the render callback, and the transport the
// host reports: playing, at the frames rendered so far. Past the end of what is played (the file's
// end, or where the render was stopped) the input is silent.
struct Playback
{
  FileStream* input;
  uint64_t first;  // the frame the transport starts at
  uint64_t end;
  uint64_t position = first;
  uint64_t nonFinite = 0;  // input samples that were not finite numbers, which the plug-in hears as silence

  uint64_t Played() const { return position - first; }
};

// A float is not finite when its exponent bits are all set; four are tested at a time, each lane
// counting its own (a block's count fits a lane).
uint64_t CountNonFinite(const float* samples, UInt32 frames)
{
  using Four = uint32_t __attribute__((vector_size(4 * sizeof(uint32_t))));
  constexpr uint32_t kExponent = 0x7f800000u;
  Four lanes = {};
  UInt32 i = 0;
  for (; i + 4 <= frames; i += 4)
  {
    Four bits;
    std::memcpy(&bits, samples + i, sizeof bits);
    lanes -= Four((bits & kExponent) == kExponent);  // a true lane is all ones, -1
  }
  uint64_t count = uint64_t(lanes[0]) + lanes[1] + lanes[2] + lanes[3];
  for (; i < frames; ++i)
    count += !std::isfinite(samples[i]);
  return count;
}

// Points the plug-in's input buffers at the file's samples, which it only reads, rather than
// copying them; past the end of what is played, or beyond the file's channels, its own buffers are
// filled with silence.
OSStatus SupplyInput(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                     AudioBufferList* data)
{
  auto* playback = static_cast<Playback*>(refCon);
  FileStream& input = *playback->input;
  const bool silent = playback->position >= playback->end;
  if (!silent && input.Fetch(playback->position, frames) < frames)
    return kAudioUnitErr_NoConnection;  // the reason is in input.Error()
  for (UInt32 c = 0; c < data->mNumberBuffers; ++c)
  {
    AudioBuffer& buffer = data->mBuffers[c];
    if (c < input.Channels() && !silent)
    {
      const float* samples = input.Channel(c, playback->position);
      playback->nonFinite += CountNonFinite(samples, frames);
      buffer.mData = const_cast<float*>(samples);
    }
    else if (buffer.mData)
      std::fill_n(static_cast<float*>(buffer.mData), frames, 0.0f);
  }
  return noErr;
}

// Renders block after block from the playback position on, as a host playing offline does:
// between blocks the run loop's clock advances by the audio time rendered and the loop runs, so
// that the idle timer sees one tick per 20 ms of audio on any machine.
class Renderer
{
public:
  Renderer(AudioUnit unit, Playback& playback, UInt32 channels, UInt32 block, double sampleRate)
  : mUnit(unit),
    mPlayback(playback),
    mChannels(channels),
    mBlock(block),
    mSampleRate(sampleRate),
    mScratch(size_t(block) * channels),
    mListStorage(AudioBufferListSize(channels))
  {
  }

  // The output of the last block, channel after channel.
  std::vector<const float*> Output() const
  {
    std::vector<const float*> channels(mChannels);
    for (UInt32 c = 0; c < mChannels; ++c)
      channels[c] = static_cast<const float*>(List()->mBuffers[c].mData);
    return channels;
  }

  // Renders at most one block; the plug-in's output is in List() until the next call.
  OSStatus Render(UInt32 frames)
  {
    AudioBufferList* list = List();
    list->mNumberBuffers = mChannels;
    for (UInt32 c = 0; c < mChannels; ++c)
      list->mBuffers[c] = AudioBuffer{1, frames * UInt32(sizeof(float)), &mScratch[size_t(c) * mBlock]};
    AudioTimeStamp time{};
    time.mSampleTime = double(mPlayback.position);
    time.mFlags = kAudioTimeStampSampleTimeValid;
    AudioUnitRenderActionFlags flags = 0;
    if (const OSStatus status = AudioUnitRender(mUnit, &flags, &time, 0, frames, list); status != noErr)
      return status;
    mPlayback.position += frames;
    const auto targetNs = int64_t(std::llround(double(mPlayback.Played()) * 1e9 / mSampleRate));
    platform::AdvanceClock(double(targetNs - mClockNs) / 1e9);
    mClockNs = targetNs;
    platform::RunMainLoop();
    return noErr;
  }

  AudioBufferList* List() { return reinterpret_cast<AudioBufferList*>(mListStorage.data()); }
  const AudioBufferList* List() const { return reinterpret_cast<const AudioBufferList*>(mListStorage.data()); }

private:
  AudioUnit mUnit;
  Playback& mPlayback;
  UInt32 mChannels;
  UInt32 mBlock;
  double mSampleRate;
  std::vector<float> mScratch;
  std::vector<uint8_t> mListStorage;
  int64_t mClockNs = 0;
};

OSStatus TransportState(void* userData, Boolean* playing, Boolean* changed, Float64* sample, Boolean* cycling,
                        Float64* cycleStart, Float64* cycleEnd)
{
  const auto* playback = static_cast<const Playback*>(userData);
  // The file is one take: the transport plays from its first frame and stops after its last.
  *playing = playback->position < playback->end;
  *changed = playback->position == playback->first;
  *sample = double(playback->position);
  *cycling = false;
  *cycleStart = *cycleEnd = 0.0;
  return noErr;
}

// A bar on stderr while a long file renders, when someone is watching the terminal. It redraws only
// when the percentage moves and wipes itself at the end, so the report or an error line stands alone.
class ProgressBar
{
public:
  ProgressBar(uint64_t total, double sampleRate)
  : mTotal(total), mShown(isatty(STDERR_FILENO) && total > kMinimumSeconds * sampleRate)
  {
  }
  ~ProgressBar() { Clear(); }
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  void Update(uint64_t done)
  {
    if (!mShown)
      return;
    const int percent = int(done * 100 / mTotal);
    if (percent == mPercent)
      return;
    mPercent = percent;
    const int filled = percent * kWidth / 100;
    std::fprintf(stderr, "\r[%s%s] %3d%%", std::string(size_t(filled), '#').c_str(),
                 std::string(size_t(kWidth - filled), ' ').c_str(), percent);
    std::fflush(stderr);
  }

  void Clear()
  {
    if (mShown && mPercent >= 0)
      std::fprintf(stderr, "\r%*s\r", kWidth + 7, "");
    mPercent = -1;
  }

private:
  static constexpr int kWidth = 40;
  static constexpr double kMinimumSeconds = 5.0;
  uint64_t mTotal;
  bool mShown;
  int mPercent = -1;
};

// The plug-in writes its output parameters every 50 ms of audio, from its idle hook, and only while
// "WriteAutomationData" is on: the file's last stretch would not show, and where the writes fall
// would follow the block size. With "Play" off the plug-in passes the audio through unmeasured
// while that clock runs on, so a tenth of a second rendered so, with the writing on, has it write
// them once more, from the measurement as the file left it. Both settings then take back the
// values they had, so that the state saved and the editor shown keep the user's.
std::string WriteFinalOutputs(HostedUnit& hosted, Renderer& renderer, UInt32 block, double sampleRate)
{
  const std::optional<ParameterDescription> play = hosted.Find("Play");
  const std::optional<ParameterDescription> write = hosted.Find("WriteAutomationData");
  if (!play || !write)
    return "";  // another plug-in: nothing to write
  const float playing = hosted.Value(play->id), writing = hosted.Value(write->id);
  hosted.Set(play->id, 0.0f);
  hosted.Set(write->id, 1.0f);
  const auto padding = UInt32(std::ceil(sampleRate / 10.0));
  for (UInt32 done = 0; done < padding;)
  {
    const UInt32 frames = std::min(block, padding - done);
    if (const OSStatus status = renderer.Render(frames); status != noErr)
      return "the plug-in failed to render after the last frame (status " + std::to_string(status) + ")";
    done += frames;
  }
  hosted.Set(write->id, writing);
  hosted.Set(play->id, playing);
  return "";
}

// One "NAME: VALUE" line per output parameter, or with json one object on one line whose keys are
// the names in the plug-in's order and whose values are numbers with two decimals (null if a value
// is not a finite number, which JSON cannot hold).
void Report(const HostedUnit& hosted, bool json)
{
  std::string text = json ? "{" : "";
  for (const ParameterDescription& parameter : hosted.Parameters())
  {
    if (parameter.name.rfind("OUT:", 0) != 0)
      continue;
    const double number = hosted.Value(parameter.id);
    char value[64];
    std::snprintf(value, sizeof value, "%.2f", number);  // "C" locale
    if (json && !std::isfinite(number))
      std::snprintf(value, sizeof value, "null");  // JSON has no infinities
    if (json)
      text += (text.size() > 1 ? ", \"" : "\"") + parameter.name + "\": " + value;
    else
      text += parameter.name + ": " + value + "\n";
  }
  std::fputs((json ? text + "}\n" : text).c_str(), stdout);
}

// How many channels a "Channel Config" value measures, by the text the plug-in shows for it:
// "Stereo" two, "Left" and "Right" one, every other the whole part of its last number ("2.0 Ch"
// two, "5.1/6.0 Ch" six).
unsigned MeasuredChannels(const std::string& config)
{
  if (config == "Left" || config == "Right")
    return 1;
  const size_t digits = config.find_last_of("0123456789");
  if (digits == std::string::npos)
    return 2;
  const size_t start = config.find_last_not_of("0123456789.", digits) + 1;
  unsigned count = 0;
  std::from_chars(config.data() + start, config.data() + digits + 1, count);
  return count;
}

// A file with more channels than "Channel Config" measures is measured on its first ones only:
// one line says so and names the setting that measures them all.
void WarnOfUnmeasuredChannels(const HostedUnit& hosted, const std::string& name, unsigned channels)
{
  const std::optional<ParameterDescription> config = hosted.Find("Channel Config");
  if (!config)
    return;
  const std::string chosen = hosted.DisplayText(config->id, hosted.Value(config->id));
  const unsigned measured = MeasuredChannels(chosen);
  if (channels <= measured)
    return;
  std::string remedy = "set \"Channel Config\" to measure them all";
  for (auto value = int(config->min); value <= int(config->max); ++value)
    if (const std::string text = hosted.DisplayText(config->id, float(value)); MeasuredChannels(text) == channels)
    {
      remedy = "--set \"Channel Config=" + text + "\" measures them all";
      break;
    }
  std::fprintf(stderr, "au-host: warning: %s has %u channels but \"Channel Config\" (%s) measures %u; %s\n",
               name.c_str(), channels, chosen.c_str(), measured, remedy.c_str());
}

}  // namespace

bool ParseRawFormat(const std::string& text, RawFormat& format)
{
  std::vector<std::string> fields;
  for (size_t start = 0;;)
  {
    const size_t colon = text.find(':', start);
    fields.push_back(text.substr(start, colon - start));
    if (colon == std::string::npos)
      break;
    start = colon + 1;
  }
  auto number = [](const std::string& field, uint32_t low, uint32_t high, uint32_t& out) {
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), out);
    return error == std::errc() && end == field.data() + field.size() && out >= low && out <= high;
  };
  uint32_t channels = 0, bits = 0, rate = 0;
  if (fields.size() < 3 || !number(fields[0], 1, 64, channels) || !number(fields[1], 8, 32, bits) || bits % 8 != 0 ||
      !number(fields[2], 1, 1000000, rate))
    return false;
  format = RawFormat{uint16_t(channels), uint16_t(bits), rate, false, false};
  for (size_t i = 3; i < fields.size(); ++i)
  {
    if ((fields[i] == "float" && bits == 32) || (fields[i] == "unsigned" && bits == 8))
      format.altEncoding = true;
    else if (fields[i] == "be")
      format.bigEndian = true;
    else
      return false;
  }
  return true;
}

std::string Measure(AudioUnit unit, const MeasureOptions& options, const MeasureStages& stages)
{
  const std::string name = options.file == "-" ? "standard input" : options.file;
  FileStream input(options);
  if (const int code = input.Open(); code != 0)
    return "cannot read " + name + ": " + ReadError(code);
  // The format is the plug-in's to take before any audio is read by it.
  HostedUnit hosted(unit);
  if (std::string problem = hosted.SetStreamFormats(input.SampleRate(), input.Channels()); !problem.empty())
    return problem;
  const uint64_t first = options.firstFrame;
  if (input.Fetch(first, 1) == 0)
    return "cannot read " + name + ": " + (input.Error() != 0 ? ReadError(input.Error()) : "it holds no audio");

  Playback playback{&input, first, input.FramesKnown() ? first + input.Frames() : UINT64_MAX};
  const HostCallbackInfo callbacks{&playback, nullptr, nullptr, TransportState, nullptr};
  const AURenderCallbackStruct callback{SupplyInput, &playback};
  const UInt32 block = options.block;
  const struct
  {
    AudioUnitPropertyID id;
    AudioUnitScope scope;
    const void* data;
    UInt32 size;
    const char* what;
  } settings[] = {
    {kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, &block, sizeof block, "the block size"},
    {kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, &callbacks, sizeof callbacks, "the transport"},
    {kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, &callback, sizeof callback, "the audio input"},
  };
  for (const auto& setting : settings)
    if (const OSStatus status = AudioUnitSetProperty(unit, setting.id, setting.scope, 0, setting.data, setting.size);
        status != noErr)
      return std::string("the plug-in refused ") + setting.what + " (status " + std::to_string(status) + ")";
  if (const OSStatus status = AudioUnitInitialize(unit); status != noErr)
    return "the plug-in refused to initialise (status " + std::to_string(status) + ")";

  // The preset, then the saved state, then each setting in the order given.
  if (!options.preset.empty())
    if (std::string problem = hosted.LoadPreset(options.preset); !problem.empty())
      return problem;
  if (!options.stateIn.empty())
    if (std::string problem = hosted.LoadStateFile(options.stateIn); !problem.empty())
      return problem;
  for (const std::string& assignment : options.sets)
    if (std::string problem = hosted.SetParameterText(assignment); !problem.empty())
      return problem;
  WarnOfUnmeasuredChannels(hosted, name, input.Channels());

  // The processed audio goes to its file as it is rendered.
  AudioFileWriter output;
  const bool keep = !options.out.empty();
  const UInt32 channels = input.Channels();
  if (keep)
    if (const int code = output.Open(options.out.c_str(), input.Channels(), input.Bits(), input.SampleRate(),
                                     input.ChannelMask());
        code != 0)
      return "cannot write " + options.out + ": " + WriteError(code);
  if (stages.beforeFirstBlock)
    if (std::string problem = stages.beforeFirstBlock(); !problem.empty())
      return problem;
  Renderer renderer(unit, playback, channels, block, input.SampleRate());
  ProgressBar progress(input.FramesKnown() ? input.Frames() : 0, input.SampleRate());
  while (playback.position < playback.end)
  {
    const UInt32 frames = input.Fetch(playback.position,
                                      UInt32(std::min<uint64_t>(block, playback.end - playback.position)));
    if (frames == 0)
    {
      if (input.Error() != 0)
        return "cannot read " + name + ": " + ReadError(input.Error());
      playback.end = playback.position;  // the end of a file whose length was not known
      break;
    }
    if (const OSStatus status = renderer.Render(frames); status != noErr)
    {
      if (input.Error() != 0)
        return "cannot read " + name + ": " + ReadError(input.Error());
      return "the plug-in failed to render at frame " + std::to_string(playback.Played()) + " (status " +
             std::to_string(status) + ")";
    }
    if (keep)
      if (const int code = output.Write(renderer.Output().data(), frames); code != 0)
        return "cannot write " + options.out + ": " + WriteError(code);
    progress.Update(playback.Played());
    if (stages.afterBlock && !stages.afterBlock(double(playback.Played()) / input.SampleRate()))
      playback.end = playback.position;
  }
  progress.Clear();
  if (input.CutShort())
    std::fprintf(stderr,
                 "au-host: warning: %s: its audio data runs past the end of the file; measuring the %llu frames "
                 "it holds\n",
                 name.c_str(), static_cast<unsigned long long>(input.FramesRead()));
  if (playback.nonFinite > 0)
    std::fprintf(stderr, "au-host: warning: %s: %llu %s; measured as silence\n", name.c_str(),
                 static_cast<unsigned long long>(playback.nonFinite),
                 playback.nonFinite == 1 ? "sample is not a finite number" : "samples are not finite numbers");
  if (hosted.Find("OUT:IL") && playback.Played() > kLoudnessHorizonSeconds * input.SampleRate())
    std::fprintf(stderr,
                 "au-host: note: %s is longer than an hour; integrated loudness and loudness range cover "
                 "its last hour\n",
                 name.c_str());
  if (std::string problem = WriteFinalOutputs(hosted, renderer, block, input.SampleRate()); !problem.empty())
    return problem;

  if (stages.afterLastBlock)
    if (std::string problem = stages.afterLastBlock(); !problem.empty())
      return problem;
  if (options.exports.Any())
  {
    EditorHost own(unit);
    EditorHost* editor = stages.editor && stages.editor->View() ? stages.editor : &own;
    if (editor == &own)
      if (std::string problem = own.Open(); !problem.empty())
        return problem;
    if (std::string problem = Export(*editor, options.exports); !problem.empty())
      return problem;
  }
  if (keep)
    if (const int code = output.Finish(); code != 0)
      return "cannot write " + options.out + ": " + WriteError(code);
  if (!options.stateOut.empty())
    if (std::string problem = hosted.SaveStateFile(options.stateOut); !problem.empty())
    {
      // A run that fails leaves none of its files behind.
      if (!options.out.empty())
        std::remove(options.out.c_str());
      return problem;
    }
  Report(hosted, options.json);
  AudioUnitUninitialize(unit);
  return "";
}

}  // namespace host
