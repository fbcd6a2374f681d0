#include "core/Module1.h"

void ResetSharedValues()
{
    ProtocolId = 0;
    RxStep = 0;
    RxBytes.clear();
    ReplyText.clear();
    ReadSeqStep = 0;
    AddressModeK = false;
    ReplyHead.clear();
    ParamTabActive = false;
    WorkFormFlag = 0;
    TransferModeFlag = 0;
    ReadAllStep = 0;
    DiWritePending = 0;
    DoWritePending = 0;
    PhoneTableOp = 0;
    LastQueryCode = 0;
    SmsTestCommand = 0;
    ModuleNetMode = 0;
    ModuleInfo.clear();
    ModuleVersion.clear();
    OfflineStart = false;
    ModeChoiceFlags = {};
    PendingRestartMessage.clear();
    StartOnDataTab = false;
    ParamExchangeActive = false;
    ParamSeqStep = 0;
    IdentityWritePending = false;
}
