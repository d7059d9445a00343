#pragma once
#include "link/module_line.h"

// The two dialogues of the port scan, run on a link fresh from SerialLink::OpenAndPrepare.
namespace ModuleProbe {

// True when the device sent nothing while the line was watched for about one and a half
// seconds. A device that talks on its own is not in its setting mode.
bool IsSilent(ModuleLine& line);

// True when the module names its maker and model, and accepts the identification command.
// Called only after IsSilent, on the same link.
bool Identify(ModuleLine& line);

}  // namespace ModuleProbe
