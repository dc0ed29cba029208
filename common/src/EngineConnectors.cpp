#include "src/EngineConnectors.h"

#include "palm/PmAddrEx2Util.h"
#include "palm/PmDateEx2Util.h"
#include "palm/PmEx2Port.h"
#include "palm/PmMemoEx2Util.h"
#include "palm/PmTodoEx2Util.h"

void InstallPalm6Loaders() {
  PmAddrInfo::SetEx2Factory(&PmEx2PortOf<PmAddrEx2Util>::Make);
  PmDateInfo::SetEx2Factory(&PmEx2PortOf<PmDateEx2Util>::Make);
  PmTodoInfo::SetEx2Factory(&PmEx2PortOf<PmTodoEx2Util>::Make);
  PmMemoInfo::SetEx2Factory(&PmEx2PortOf<PmMemoEx2Util>::Make);
}
