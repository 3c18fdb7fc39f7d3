#include "states/ghost.h"

#include "config/inidictionary.h"
#include "config/loaderror.h"
#include "player/voltbot.h"
#include "states/datachecksum.h"

Ghost::Ghost(const std::string& levelName, const std::string& characterPath)
    : m_level(std::make_unique<Level>(levelName, characterPath)) {
    m_start = snapshot();
}

Ghost::Ghost(const InputScript& script, const std::string& scriptPath) {
    checkScript(script, scriptPath);
    m_level = std::make_unique<Level>(levelOf(script), characterOf(script));
    m_input.emplace(script);
    m_start = snapshot();
}

Ghost::~Ghost() = default;

std::string Ghost::levelOf(const InputScript& script) {
    return script.level().empty() ? InputScript::kDefaultLevel : script.level();
}

std::string Ghost::characterOf(const InputScript& script) {
    return script.character().empty() ? InputScript::kDefaultCharacter : script.character();
}

void Ghost::checkScript(const InputScript& script, const std::string& scriptPath) {
    const std::string level = levelOf(script);
    const std::string character = characterOf(script);
    if (!IniDictionary("levels.ini", IniDictionary::kRequired).hasSection(level.c_str())) {
        throw LoadError(scriptPath, "level " + level + " is not in levels.ini");
    }
    try {
        IniDictionary(character.c_str(), IniDictionary::kRequired);
    } catch (const LoadError& error) {
        throw LoadError(scriptPath, "character " + character + ": " + error.problem());
    }
    const std::string checksum = datachecksum::compute(level, character);
    if (!script.checksum().empty() && script.checksum() != checksum) {
        throw LoadError(scriptPath, "recorded against data with checksum " + script.checksum() +
                                        ", the data here gives " + checksum);
    }
}

void Ghost::update(const Controls& controls) {
    // Leaving is the real level's to do, and in that last frame nothing of it moves: nor
    // does the ghost, nor its script.
    if (controls.menuPressed) {
        return;
    }
    m_level->update(m_input ? m_input->next() : controls);
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

Ghost::Snapshot Ghost::snapshot() const {
    Snapshot s{};
    s.level = m_level->snapshot();
    if (m_input) {
        s.input = m_input->position();
    }
    return s;
}

void Ghost::restore(const Snapshot& snapshot) {
    m_level->restore(snapshot.level);
    if (m_input) {
        m_input->seek(snapshot.input);
    }
}
