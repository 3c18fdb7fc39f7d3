#include "states/ghost.h"

#include "player/voltbot.h"
#include "states/level.h"

Ghost::Ghost(const std::string& levelName, const std::string& characterPath)
    : m_level(std::make_unique<Level>(levelName, characterPath)) {}

Ghost::~Ghost() = default;

void Ghost::update(Controls controls) {
    m_level->update(controls);
}

void Ghost::draw(Camera& camera) {
    // The level shows its player only once its ready phase is over, in the frame after the
    // draw that ends it; the ghost keeps the same rhythm, so it appears when a replay of
    // its character would.
    const bool shown = m_level->getPhase() != Level::kReady;
    m_level->endReadyPhaseIfDue();
    if (shown) {
        m_level->getPlayer()->drawSprite(camera, kAlpha);
    }
}
