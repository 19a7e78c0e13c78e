#include "settings/option_table.h"

namespace chronivo {

bool ReadFlag(const ProfileStore& store, const SettingKey& key, Reader reader) {
    return ReadInt(store, key, reader) != 0;
}

} // namespace chronivo
