#include "app/incoming/receive_sound.h"

#include <QSoundEffect>
#include <QUrl>

namespace px {

TSoundEffectPlayer::TSoundEffectPlayer() = default;
TSoundEffectPlayer::~TSoundEffectPlayer() = default;

void TSoundEffectPlayer::play(const QString& path) {
    if (!effect_) {
        effect_ = std::make_unique<QSoundEffect>();
    }
    effect_->stop();
    effect_->setSource(QUrl::fromLocalFile(path));
    // The effect loads the file in the background and starts once it is in.
    effect_->play();
}

}  // namespace px
