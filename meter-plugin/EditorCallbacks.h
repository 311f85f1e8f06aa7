#pragma once
// The two functions behind the editor callbacks that the plug-in class installs, make-graphics
// and layout: all the plug-in class knows of its editor's construction. The editor's layout
// defines them (layout/EditorConstruction.cpp); whatever links the plug-in class into a product
// links the layout with it (product/).

namespace iplug::igraphics {
class IGraphics;
}
class Vantorelix;

// A new graphics object for the stored size, scale and layout.
iplug::igraphics::IGraphics* MakeEditorGraphics(Vantorelix& plug);
// Builds the editor on an empty graphics object, or only repositions an existing one.
void LayoutEditor(Vantorelix& plug, iplug::igraphics::IGraphics& ui);
