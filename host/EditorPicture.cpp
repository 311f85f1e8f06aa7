#include "host/EditorPicture.h"

#include "host/EditorHost.h"
#include "platform/AppKit/NSEvent.h"
#include "platform/CoreFoundation/CFRunLoop.h"
#include "platform/Metal/CAMetalLayer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstdio>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace host {
namespace {

// The whole text is the number, finite and not negative.
template <class Number>
bool ParseNumber(const std::string& text, Number& number)
{
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  return error == std::errc() && end == text.data() + text.size() && std::isfinite(double(number)) && number >= 0;
}

template <class Number>
bool ParsePair(const std::string& text, char separator, Number& x, Number& y)
{
  const size_t at = text.find(separator);
  return at != std::string::npos && ParseNumber(text.substr(0, at), x) && ParseNumber(text.substr(at + 1), y);
}

// Moves the virtual clock on frame by frame and runs what came due, as the display would.
void RunFrames(int count)
{
  for (int i = 0; i < count; ++i)
  {
    platform::AdvanceClock(1.0 / 60.0);
    platform::RunMainLoop();
  }
}

// Half a second: long enough for what a click or a resize starts (a page, a fade) to be drawn to
// its end, since controls time their animations by the clock that the frames move.
constexpr int kSettleFrames = 30;

// The picture's file: made empty before the render, so that a path that cannot be written fails
// at once, filled beside the target and put in its place only when the whole run succeeded.
class PictureFile
{
public:
  explicit PictureFile(std::string path) : mPath(std::move(path)) {}
  ~PictureFile()
  {
    if (!mPartial.empty())
      std::remove(mPartial.c_str());
  }
  PictureFile(const PictureFile&) = delete;
  PictureFile& operator=(const PictureFile&) = delete;

  std::string Create()
  {
    std::string pattern = mPath + ".XXXXXX";
    const int descriptor = mkstemp(pattern.data());
    if (descriptor < 0)
      return "cannot write " + mPath + ": cannot create it";
    fchmod(descriptor, 0644);
    close(descriptor);
    mPartial = pattern;
    return "";
  }

  std::string Fill(int width, int height, const std::vector<uint8_t>& rgba) const
  {
    if (!stbi_write_png(mPartial.c_str(), width, height, 4, rgba.data(), width * 4))
      return "cannot write " + mPath + ": the disk refused it";
    return "";
  }

  std::string Commit()
  {
    if (std::rename(mPartial.c_str(), mPath.c_str()) != 0)
      return "cannot write " + mPath + ": cannot put it in place";
    mPartial.clear();
    return "";
  }

private:
  std::string mPath;
  std::string mPartial;  // the file being filled, until it takes the target's place
};

// The open editor, used as a person at the host's window uses it: the mouse in its window at
// points of the editor's layout, which the editor's scale spreads over the view.
class EditorSession
{
public:
  explicit EditorSession(AudioUnit unit) : mHosted(unit), mEditor(unit) {}

  std::string Open(const EditorOptions& options)
  {
    if (std::string problem = mEditor.Open(); !problem.empty())
      return problem;
    // The editor opens at the scale it keeps in a parameter; 1 for an editor without one.
    if (const std::optional<ParameterDescription> scale = mHosted.Find("GUI Scale"))
      mScale = mHosted.Value(scale->id);
    RunFrames(1);
    if (options.size)
      Resize(*options.size, NSEventModifierFlags(0));
    if (options.scale)
    {
      // The resizer rescales by the ratio of where a drag ends to where it began; the view then
      // grows by the ratio the editor allowed.
      const NSSize before = mEditor.View()->frame().size;
      const double ratio = *options.scale / mScale * kScaleOvershoot;
      const double inset = EditorHost::kCornerInset;
      Resize({(before.width - inset) * ratio / mScale, (before.height - inset) * ratio / mScale},
             NSEventModifierFlagControl);
      mScale *= mEditor.View()->frame().size.width / before.width;
    }
    // A click is a person's click only where it lands on the editor's view.
    const NSSize view = mEditor.View()->frame().size;
    for (const EditorPoint& click : options.clicks)
      if (const NSPoint at = ViewPoint(click); at.x >= view.width || at.y >= view.height)
        return "--click " + Number(click.x) + "," + Number(click.y) + " lies outside the editor of " +
               Number(view.width / mScale) + "x" + Number(view.height / mScale);
    return "";
  }

  EditorHost& Host() { return mEditor; }

  void Click(EditorPoint at)
  {
    mEditor.Click(ViewPoint(at));
    RunFrames(kSettleFrames);
  }

  // Writes the last frame the editor presented into the file.
  std::string Picture(PictureFile& file) const
  {
    const std::shared_ptr<MTLTexture> frame = mEditor.View()->layer()->presentedTexture();
    if (!frame)
      return "the editor presented no frame";
    const auto width = int(frame->width());
    const auto height = int(frame->height());
    std::vector<uint8_t> rgba;
    rgba.reserve(size_t(width) * size_t(height) * 4);
    for (NSUInteger y = 0; y < frame->height(); ++y)
      for (NSUInteger x = 0; x < frame->width(); ++x)
      {
        const unsigned char* bgra = frame->texel(x, y);
        rgba.insert(rgba.end(), {bgra[2], bgra[1], bgra[0], bgra[3]});
      }
    return file.Fill(width, height, rgba);
  }

private:
  // The resizer divides where the drag ends by where it began in single precision, which can fall
  // a hair short of the ratio asked for; the view, whose size is truncated, would then lose a pixel
  // (1000 points at 0.8 giving 799). The drag ends that hair further out.
  static constexpr double kScaleOvershoot = 1.0 + 1e-6;

  static std::string Number(double value)
  {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
  }

  NSPoint ViewPoint(EditorPoint at) const { return NSMakePoint(at.x * mScale, at.y * mScale); }

  // A drag of the corner resizer to the layout point given; the control key makes it rescale.
  void Resize(EditorPoint to, NSEventModifierFlags flags)
  {
    mEditor.DragCorner(ViewPoint(to), flags);
    RunFrames(kSettleFrames);
  }

  HostedUnit mHosted;
  EditorHost mEditor;
  double mScale = 1.0;  // view points per layout point
};

}  // namespace

bool ParseClick(const std::string& text, EditorPoint& point)
{
  return ParsePair(text, ',', point.x, point.y);
}

bool ParseSize(const std::string& text, EditorPoint& size)
{
  int width = 0, height = 0;
  if (!ParsePair(text, 'x', width, height) || width < 1 || height < 1 || width > 10000 || height > 10000)
    return false;
  size = {double(width), double(height)};
  return true;
}

bool ParseScale(const std::string& text, double& scale)
{
  return ParseNumber(text, scale) && scale > 0.0 && scale <= 10.0;
}

std::string EditorPicture(AudioUnit unit, const MeasureOptions& measure, const EditorOptions& editor)
{
  PictureFile file(editor.png);
  if (std::string problem = file.Create(); !problem.empty())
    return problem;
  EditorSession session(unit);
  // Nobody is at this editor: its file dialogs, a click on an export button among them, are
  // answered with the files given, or cancelled with a word.
  const ExportAnswers answers(measure.exports);
  MeasureStages stages;
  stages.beforeFirstBlock = [&] { return session.Open(editor); };
  stages.editor = &session.Host();
  stages.afterLastBlock = [&] {
    RunFrames(kSettleFrames);
    for (const EditorPoint& click : editor.clicks)
      session.Click(click);
    return session.Picture(file);
  };
  if (std::string problem = Measure(unit, measure, stages); !problem.empty())
    return problem;
  return file.Commit();
}

}  // namespace host
