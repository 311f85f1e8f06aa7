#pragma once
// Attaches the editor's controls in order and records what later code needs of them: their
// positions in the control list, their group and how they follow the window.

#include "graphics/IGraphics.h"
#include "meter-plugin/EditorLayout.h"

#include <vector>

class LayoutBuilder
{
public:
  LayoutBuilder(iplug::igraphics::IGraphics& ui, EditorLayoutRecords& records) : mUI(ui), mRecords(records) {}

  // Attaches the control with the empty group name and answers its position; -1, with the
  // control deleted, when the tag is already taken.
  int Add(iplug::igraphics::IControl* control, int tag = -1);
  // The same, and the position is appended to a group.
  int Add(iplug::igraphics::IControl* control, std::vector<int>& group);
  // The control keeps its size; its top-left point follows the width and/or height change.
  void Move(int index, bool followWidth, bool followHeight);
  // The named edges of the control follow the window.
  void Resize(int index, bool left, bool top, bool right, bool bottom);

  iplug::igraphics::IGraphics& UI() const { return mUI; }

private:
  iplug::igraphics::IGraphics& mUI;
  EditorLayoutRecords& mRecords;
};
