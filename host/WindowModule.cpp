// The module au-host opens for editor --window: the live window and what it needs, found by the
// name of this one entry.
#include "host/EditorWindow.h"

extern "C" const host::EditorWindowEntry auHostEditorWindow = host::EditorWindow;
