#include "engine/controls.h"

void Controls::beginFrame() {
    prevDirX = dirX;
    prevDirY = dirY;
    shootPressed = false;
    shootReleased = false;
    jumpPressed = false;
    jumpReleased = false;
    menuPressed = false;
}

void Controls::press(Key key) {
    switch (key) {
        case Key::kRight:
            dirX = Direction::kRight;
            rightHeld = true;
            break;
        case Key::kLeft:
            dirX = Direction::kLeft;
            leftHeld = true;
            break;
        case Key::kDown:
            dirY = Direction::kDown;
            downHeld = true;
            break;
        case Key::kUp:
            dirY = Direction::kUp;
            upHeld = true;
            break;
        case Key::kShoot:
            shootPressed = true;
            shootHeld = true;
            shootReleased = false;
            break;
        case Key::kJump:
            jumpPressed = true;
            jumpHeld = true;
            jumpReleased = false;
            break;
    }
}

void Controls::release(Key key) {
    switch (key) {
        case Key::kRight:
            rightHeld = false;
            dirX = leftHeld ? Direction::kLeft : Direction::kNone;
            break;
        case Key::kLeft:
            leftHeld = false;
            dirX = rightHeld ? Direction::kRight : Direction::kNone;
            break;
        case Key::kDown:
            downHeld = false;
            dirY = upHeld ? Direction::kUp : Direction::kNone;
            break;
        case Key::kUp:
            upHeld = false;
            dirY = downHeld ? Direction::kDown : Direction::kNone;
            break;
        case Key::kShoot:
            // A press and a release within one frame leave only the release seen.
            shootPressed = false;
            shootHeld = false;
            shootReleased = true;
            break;
        case Key::kJump:
            jumpPressed = false;
            jumpHeld = false;
            jumpReleased = true;
            break;
    }
}

bool Controls::operator==(const Controls& other) const {
    return dirX == other.dirX && dirY == other.dirY && prevDirX == other.prevDirX &&
           prevDirY == other.prevDirY && upHeld == other.upHeld && downHeld == other.downHeld &&
           leftHeld == other.leftHeld && rightHeld == other.rightHeld &&
           shootPressed == other.shootPressed && shootHeld == other.shootHeld &&
           shootReleased == other.shootReleased && jumpPressed == other.jumpPressed &&
           jumpHeld == other.jumpHeld && jumpReleased == other.jumpReleased &&
           menuPressed == other.menuPressed;
}
