#include "settings/profile_store.h"

namespace chronivo {

std::unique_ptr<ProfileStore> CurrentUserStore() {
    return std::make_unique<QSettingsStore>(QSettingsStore::DefaultIniPath());
}

} // namespace chronivo
