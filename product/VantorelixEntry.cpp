#include "au-adapter/IPlugAUEntry.h"
#include "meter-plugin/Vantorelix.h"

IPLUG_AU_ENTRY_POINTS(Vantorelix, "Vantorelix_View", Vantorelix_Factory, Vantorelix_Entry)
