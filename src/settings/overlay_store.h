#pragma once

#include "settings/profile_store.h"

#include <vector>

namespace chronivo {

// Settings as they would read once `values` were stored over `base`: a value of `values` answers
// for its key in kSection, every other read goes to `base`. Nothing is ever written. It also
// keeps each answer it gave, so that what a reader took can be stored elsewhere and read there
// alike (Answers).
class OverlayStore final : public ProfileStore {
public:
    // `base` must outlive the store.
    OverlayStore(const ProfileStore& base, std::vector<ProfileValue> values);

    int GetProfileInt(const QString& section, const QString& key, int defaultValue) const override;
    QString GetProfileString(const QString& section, const QString& key,
                             const QString& defaultValue = QString()) const override;
    // Refused: the store only reads.
    bool WriteProfileInt(const QString& section, const QString& key, int value) override;
    bool WriteProfileString(const QString& section, const QString& key,
                            const QString& value) override;
    QString LastError() const override;

    // Every key of kSection read so far with the value its first read returned (an int or a
    // QString, the reader's default where nothing usable was there), in the order first read.
    // Stored in that order, they read back as they were read here.
    const std::vector<ProfileValue>& Answers() const { return m_answers; }

private:
    const ProfileValue* Find(const QString& section, const QString& key) const;
    void Keep(const QString& section, const QString& key, const QVariant& value) const;

    const ProfileStore& m_base;
    std::vector<ProfileValue> m_values;
    mutable std::vector<ProfileValue> m_answers;
};

} // namespace chronivo
