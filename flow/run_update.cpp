#include "flow/update.h"

bool ExecutableReplaced = false;

ExtractStatus RunUpdate() {
    // The same path that LocateTarget composed, and found room for.
    ComposePath(TargetPath, DataDir, ExecutableTail);
    const ExtractStatus status = ExtractPayload(TargetPath, ExecutablePayloadName);
    ExecutableReplaced = status == ExtractOk;
    if (status != ExtractOk) return status;
    return RefreshVoiceFiles();
}
