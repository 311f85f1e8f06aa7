#pragma once

// The recording graphics object of the graphics tests, extended to keep every filled rectangle,
// line and text with its colour and place, and a delegate that records the editor actions the
// controls fire, around an open editor with parameters to link to.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "graphics/IGraphicsConstants.h"
#include "tests/controls/ControlsFixture.h"

namespace vtest {

class DrawLog : public RecordingGraphics
{
public:
  using RecordingGraphics::RecordingGraphics;

  struct Fill
  {
    IRECT rect;
    IColor color;
  };
  struct Line
  {
    float x1, y1, x2, y2, width;
    IColor color;
  };
  struct Text
  {
    std::string str;
    IRECT rect;
    IColor color;
  };
  std::vector<Fill> fills;
  std::vector<Line> lines;
  std::vector<Text> texts;

  void FillRect(const IColor& color, const IRECT& r, const IBlend* blend) override
  {
    fills.push_back({r, color});
    RecordingGraphics::FillRect(color, r, blend);
  }
  void DrawLine(const IColor& color, float x1, float y1, float x2, float y2, const IBlend* blend, float width) override
  {
    lines.push_back({x1, y1, x2, y2, width, color});
    RecordingGraphics::DrawLine(color, x1, y1, x2, y2, blend, width);
  }
  void DrawTextRun(const IText& text, const char* str, const IRECT& r, const IBlend* blend) override
  {
    texts.push_back({str, r, text.mFGColor});
    RecordingGraphics::DrawTextRun(text, str, r, blend);
  }
  // Dialogs answer from a script: the next path (empty: cancelled), and the folder each
  // dialog was opened in. The colour chooser keeps its completion for the test to call.
  std::vector<std::string> fileAnswers;
  std::vector<std::string> dialogFolders;
  std::function<void(const IColor&)> colorCompletion;
  IColor colorShown;

  // Links and paths the editor asked the platform to open.
  std::vector<std::string> links;
  bool OpenWebLink(const char* url) override
  {
    links.push_back(url);
    return true;
  }
  void AskForFile(std::string& fileName, std::string& path, bool, const char*) override
  {
    dialogFolders.push_back(path);
    fileName = fileAnswers.empty() ? std::string() : fileAnswers.front();
    if (!fileAnswers.empty())
      fileAnswers.erase(fileAnswers.begin());
  }
  bool AskForColor(const IColor& color, const char*, std::function<void(const IColor&)> func) override
  {
    colorShown = color;
    colorCompletion = std::move(func);
    return true;
  }
  void Reset()
  {
    fills.clear();
    lines.clear();
    texts.clear();
    log.clear();
  }
  // The texts drawn, in order.
  std::vector<std::string> Strings() const
  {
    std::vector<std::string> out;
    for (const Text& t : texts)
      out.push_back(t.str);
    return out;
  }
  const Text* FindText(const std::string& str) const
  {
    for (const Text& t : texts)
      if (t.str == str)
        return &t;
    return nullptr;
  }
};

// Records the editor actions (parameter-changed calls) that controls fire.
class ActionDelegate : public TestDelegate
{
public:
  using TestDelegate::TestDelegate;
  struct Action
  {
    int id;
    int source;
    int offset;
  };
  std::vector<Action> actions;
  std::vector<int> Ids() const
  {
    std::vector<int> ids;
    for (const Action& a : actions)
      ids.push_back(a.id);
    return ids;
  }
  std::function<void(int)> onAction;  // runs inside the call, as the plug-in's handler would
  void ParameterChanged(int paramIdx, ParamChangeSource source, int sampleOffset) override
  {
    actions.push_back({paramIdx, source, sampleOffset});
    if (onAction)
      onAction(paramIdx);
  }
};

struct MeterEditor
{
  explicit MeterEditor(int w = 400, int h = 300)
  {
    dlg.mMakeGraphicsFunc = [this, w, h] { return new DrawLog(dlg, w, h, 0, 1.f); };
    dlg.OpenWindow(nullptr);
    g = static_cast<DrawLog*>(dlg.GetUI());
  }
  template <class C>
  C* Add(C* control)
  {
    g->AddControl(control);
    return control;
  }
  // Draws one control on its own, with a fresh record.
  void DrawOnly(IControl& control)
  {
    g->Reset();
    control.Draw(*g);
  }

  ActionDelegate dlg{8};
  DrawLog* g = nullptr;
};

}  // namespace vtest
