#include "measure/rate_histories.h"

#include "base/rate_history.h"

#include <new>

namespace {

void CreateHistory(Warr<double>*& history) noexcept {
    if (history) {
        return;
    }
    auto* created = new (std::nothrow) Warr<double>(static_cast<int16_t>(kHistoryCapacity), nullptr);
    // The ring's own slots may have failed to allocate even though the ring did.
    if (created && created->capacity < 1) {
        delete created;
        created = nullptr;
    }
    history = created;
}

void DestroyHistory(Warr<double>*& history) noexcept {
    delete history;
    history = nullptr;
}

}  // namespace

bool CreateRateHistories(DockletInstance* instance) noexcept {
    CreateHistory(instance->totalHistory);
    CreateHistory(instance->downloadHistory);
    CreateHistory(instance->uploadHistory);
    CreateHistory(instance->bandwidthHistory);
    return instance->totalHistory && instance->downloadHistory && instance->uploadHistory &&
           instance->bandwidthHistory;
}

void DestroyRateHistories(DockletInstance* instance) noexcept {
    DestroyHistory(instance->totalHistory);
    DestroyHistory(instance->downloadHistory);
    DestroyHistory(instance->uploadHistory);
    DestroyHistory(instance->bandwidthHistory);
}
