#include "core/Module1.h"

void ResetSharedValues()
{
    ProtocolId = 0;
    RxStep = 0;
    RxBytes.clear();
    ReadSeqStep = 0;
    AddressModeK = false;
    WorkFormFlag = 0;
    TransferModeFlag = 0;
    ModuleNetMode = 0;
    ModuleInfo.clear();
    ModuleVersion.clear();
    OfflineStart = false;
    ModeChoiceFlags = {};
    PendingRestartMessage.clear();
    StartOnDataTab = 0;
}
