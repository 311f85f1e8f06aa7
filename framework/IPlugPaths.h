#pragma once
// Where things are: the plug-in's bundle, the user's standard folders, the data and preset
// folders, and the search for a resource file by name. Main thread only.

#include "framework/WDLString.h"

namespace iplug {

// These leave path unchanged when no bundle with that identifier is loaded.
void ExecutablePathForBundle(WDL_String& path, const char* bundleID);
// The folder that holds the bundle, ending in "/".
void BundleFolderPath(WDL_String& path, const char* bundleID);
// Empty when no such bundle is loaded.
void BundleResourcePath(WDL_String& path, const char* bundleID);

void DesktopPath(WDL_String& path);
void HomePath(WDL_String& path);
void MusicPath(WDL_String& path);
// The Application Support folder of the system domain, or of the user's.
void AppSupportPath(WDL_String& path, bool isSystem = false);
// The user's Application Support folder, "/" and name.
void AppSupportSubPath(WDL_String& path, const char* name);
// "<Library>/Audio/Presets/<maker>/<plug-in>/", of the local domain or of the user's.
void AUPresetsPath(WDL_String& path, const char* mfrName, const char* pluginName, bool isLocal = false);
bool AppIsSandboxed();

// A resource "<name>.<ext>" (the name's own extension must be ext, in any letter case) in the
// bundle's resources. On failure path is empty.
bool FindBundleResource(const char* fileName, const char* ext, WDL_String& path, const char* bundleID);
// The same in the shared resources folder: Music/<subPath>/Resources/<base name>.<ext>.
bool FindSharedResource(const char* fileName, const char* ext, WDL_String& path, const char* sharedResourcesSubPath);
// The bundle first, then the shared folder, then the name as a path of an existing file.
bool LocateResource(const char* fileName, const char* ext, WDL_String& path, const char* bundleID, void* pluginInstance,
                    const char* sharedResourcesSubPath);

}  // namespace iplug
