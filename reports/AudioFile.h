#pragma once
// Audio files: a buffer of decoded audio (32-bit floats, one contiguous run per channel) filled
// from WAV, AIFF/AIFC or headerless PCM files, and written back as WAV or appended to one.
//
// One loading thread and reading threads share a buffer without a lock: the loader clears ready
// and waits until busy is clear before it replaces the samples; a reader sets busy through
// audioFileChannel and backs off when ready is clear.
//
// Results: 0 success; -1 empty path or the file cannot be opened; -2 a chunk is missing or runs
// past the end of the file or its chunk, or the header gives zero channels, bits or sample rate;
// -3 a raw file holds no complete frame; -4 the file would not fit the 32-bit RIFF sizes, or a
// write failed; -5 the appender wrote fewer frames than the buffer holds; -6 not a RIFF WAVE,
// FORM AIFF or FORM AIFC file; -7 bad arguments or an unsupported format; -8 the existing file
// cannot take the buffer (another format, or its data chunk is not its last); -9 the buffer is
// not ready; -10 the temporary buffer cannot be allocated; -11 the sample array cannot be
// allocated; -12 a stream that cannot seek holds its audio before its format; -13 a stream holds
// more before its audio than any real file carries; -14 a signal interrupted the reading of a
// stream's header.

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct AudioFileBuffer
{
  FILE* file;      // the open file during a read or write, else null
  float* samples;  // frames x channels; channel c at c x frames .. (c + 1) x frames - 1
  std::atomic<uint8_t> ready;
  std::atomic<uint8_t> busy;
  uint32_t frames;
  uint32_t sampleRate;
  uint32_t channelMask;
  uint16_t bits;
  uint16_t channels;
};

void audioFileInit(AudioFileBuffer* buffer);
// Frees the samples once no reader holds the buffer; the buffer is then empty and not ready.
void audioFileFree(AudioFileBuffer* buffer);
// Replaces the contents with frames x channels zeroed samples of the given format.
int audioFileAllocate(AudioFileBuffer* buffer, uint32_t frames, uint16_t channels, uint16_t bits, uint32_t sampleRate,
                      uint32_t channelMask);

// Reads a WAV or AIFF/AIFC file from startFrame, at most maxFrames frames (0: all). With infoOnly
// only the format fields are filled and the buffer holds no samples.
int audioFileRead(AudioFileBuffer* buffer, const char* path, uint32_t startFrame, uint32_t maxFrames, bool infoOnly);
// Reads headerless interleaved PCM. altEncoding: unsigned for 8-bit, float for 32-bit samples.
int audioFileReadRaw(AudioFileBuffer* buffer, const char* path, uint32_t startFrame, uint32_t maxFrames,
                     uint16_t channels, uint16_t bits, uint32_t sampleRate, uint32_t channelMask, bool altEncoding,
                     bool bigEndian);

// A WAV, AIFF/AIFC or headerless PCM file read once, in order, from a stream opened elsewhere
// that need not be able to seek (standard input on a pipe): the header is read as it comes,
// chunks before the audio are skipped by reading them, and the frames then come a stretch at a
// time. The frames a file holds are those its header announces, fewer where the audio runs past
// the end of the file (the partial frame at a cut is left out); sizes left unknown by a writer
// streaming into a pipe (all ones, or zero) run to the end. The stream is read from where it
// stands, whether or not it can seek, with the same answer either way (but for audio before the
// format, which only a stream that can seek goes back to). The stream stays open.
struct AudioFileStream
{
  FILE* file;
  // What the header announces; 0 where it leaves the length open (or announces the placeholder
  // length of a writer streaming into a pipe), and for PCM.
  uint64_t announcedFrames;
  uint64_t frames;  // what the file holds, known in advance only where the stream can seek
  uint64_t framesRead;
  bool ended;  // every frame the file holds has been read
  uint32_t sampleRate;
  uint32_t channelMask;
  uint16_t bits;
  uint16_t channels;
  // How the samples are stored, and the frames that may still follow; for the reads below.
  uint8_t encoding;
  bool bigEndian;
  uint32_t bytesPerSample;
  uint64_t framesLeft;
};
constexpr uint64_t kAudioFileUnknownLength = UINT64_MAX;

// Reads the header of a WAV or AIFF/AIFC file, leaving the stream at its first frame.
int audioFileStreamOpen(AudioFileStream* stream, FILE* file);
// Headerless interleaved PCM from the stream's position, as audioFileReadRaw takes it.
int audioFileStreamOpenRaw(AudioFileStream* stream, FILE* file, uint16_t channels, uint16_t bits, uint32_t sampleRate,
                           uint32_t channelMask, bool altEncoding, bool bigEndian);
// Reads at most maxFrames of the frames that follow into the buffer, after its last keptFrames
// frames, which move to its start; what else it held is dropped. Fewer frames than asked for are
// read only at the end of the file, or where a signal interrupts the read, which ends the input;
// either sets ended.
int audioFileStreamRead(AudioFileStream* stream, AudioFileBuffer* buffer, uint32_t keptFrames, uint32_t maxFrames);

// The samples of one channel, or null (channel out of range, or the buffer not ready; the buffer
// is then not held). A reader takes the buffer with lock set and lets it go with a call with lock
// clear, which returns the pointer it held.
float* audioFileChannel(AudioFileBuffer* buffer, uint32_t channel, bool lock);
uint32_t audioFileFrames(const AudioFileBuffer* buffer);
uint32_t audioFileSampleRate(const AudioFileBuffer* buffer);
uint16_t audioFileBits(const AudioFileBuffer* buffer);
uint16_t audioFileChannels(const AudioFileBuffer* buffer);

// Writes the buffer as a new WAV file: 16-bit PCM up to 16 bits, 24-bit PCM up to 24, else
// 32-bit float; more than two channels or more than 16 bits use the extensible layout. A buffer
// that exceeds full scale is scaled down as a whole; samples that are not numbers are written as 0.
// On a failed write nothing is left at path.
int audioFileWriteWav(const AudioFileBuffer* buffer, const char* path);
// A WAV file written as its audio is made, a block at a time, that ends byte for byte as
// audioFileWriteWav writes a buffer of the same audio: scaled down as a whole when it exceeds full
// scale. The blocks go out as they come, as 32-bit floats, beside the path (".partial"); Finish
// scales and narrows them in place, a stretch at a time, and moves the file to the path, so that
// memory stays small whatever the length and a file never finished leaves nothing behind.
class AudioFileWriter
{
public:
  AudioFileWriter() = default;
  ~AudioFileWriter();
  AudioFileWriter(const AudioFileWriter&) = delete;
  AudioFileWriter& operator=(const AudioFileWriter&) = delete;

  // 0, or -7 for a format a WAV header cannot hold, -1 when the file cannot be created.
  int Open(const char* path, uint16_t channels, uint16_t bits, uint32_t sampleRate, uint32_t channelMask);
  // One block, channel after channel; 0, or -4 when the file would pass the 32-bit RIFF sizes or
  // a write failed.
  int Write(const float* const* channels, uint32_t frames);
  // 0, or -4 when a write failed; the file is then gone.
  int Finish();

private:
  void Drop();

  FILE* mFile = nullptr;
  std::string mPath;
  uint16_t mChannels = 0;
  uint16_t mBits = 0;
  uint32_t mSampleRate = 0;
  uint32_t mChannelMask = 0;
  uint64_t mFrames = 0;
  float mPeak = 0.0f;
  std::vector<uint8_t> mStretch;
};

// Appends the buffer to a WAV file of the same format whose data chunk is its last chunk.
int audioFileAppendWav(const AudioFileBuffer* buffer, const char* path);
// The largest magnitude of the samples (not-a-number samples ignored); 0 for an empty buffer.
float audioFilePeak(const AudioFileBuffer* buffer);
