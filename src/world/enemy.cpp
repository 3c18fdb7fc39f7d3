#include "world/enemy.h"

#include "config/inidictionary.h"
#include "config/loaderror.h"
#include "gfx/sprite.h"
#include "player/voltbot.h"
#include "world/camera.h"

Enemy::Enemy() : m_boundingBox{kX, kY, kWidth, kHeight}, m_collider(&m_boundingBox) {
    // The description is needed only to build the sprite.
    IniDictionary dictionary("enemy.ini", IniDictionary::kRequired);
    m_sprite = std::make_unique<Sprite>(dictionary);
    // Without a picture the enemy would still hit, unseen.
    if (m_sprite->getSpritesheetsAmount() < 1 || m_sprite->getAnimationsAmount() < 1) {
        throw LoadError(dictionary.path(), "describes no picture of the enemy (" +
                                               dictionary.describe("amount", "Spritesheets") +
                                               ", " + dictionary.describe("amount", "Animations") +
                                               "): it would hit unseen");
    }
}

Enemy::~Enemy() = default;

void Enemy::update() {
    m_sprite->update();
}

void Enemy::draw(Camera& camera) {
    m_sprite->draw(camera.getScreenMappedXCoordinate(m_boundingBox.x),
                   camera.getScreenMappedYCoordinate(m_boundingBox.y), 0);
}

Collider Enemy::getCollider() const {
    return m_collider;
}

void Enemy::hit(Voltbot* player) {
    // What a hit does (reeling, or nothing while protected) is the player's decision.
    player->receiveDamage();
}

Enemy::Snapshot Enemy::snapshot() const {
    return m_sprite->snapshot();
}

void Enemy::restore(const Snapshot& snapshot) {
    m_sprite->restore(snapshot);
}

bool Enemy::accepts(const Snapshot& snapshot) const {
    return m_sprite->accepts(snapshot);
}
