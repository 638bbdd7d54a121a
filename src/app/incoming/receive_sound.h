// The sound played when a fax has been received: a file played once,
// without waiting for its end.
#pragma once

#include <QString>
#include <memory>

class QSoundEffect;

namespace px {

class TReceiveSound {
public:
    virtual ~TReceiveSound() = default;
    // Starts playing the file and returns at once.
    virtual void play(const QString& path) = 0;
};

// Through Qt Multimedia. The sound goes on while the program carries on;
// a new request stops the one still playing.
class TSoundEffectPlayer : public TReceiveSound {
public:
    TSoundEffectPlayer();
    ~TSoundEffectPlayer() override;
    void play(const QString& path) override;

private:
    std::unique_ptr<QSoundEffect> effect_;
};

}  // namespace px
