#pragma once

#include <SDL.h>

// A game controller made by SDL's virtual joystick driver, with every standard button and
// axis at SDL's own index, so SDL's automatic mapping turns button i into controller button
// i. SDL announces it with a device-added event that the engine handles like a plugged-in
// pad; changes show in the events of the next poll. Detaching (or the destructor) unplugs it.
class VirtualPad {
  public:
    // SDL drops controller events while no window of the program has the focus, and the
    // dummy driver's window never has it; to call before SDL starts (SDL_Quit forgets it).
    static bool deliverWithoutFocus() {
        return SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1") == SDL_TRUE;
    }

    VirtualPad() {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
        desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
        desc.name = "Kestrelix test pad";
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        if (index >= 0) {
            m_joystick = SDL_JoystickOpen(index);
        }
    }
    ~VirtualPad() { detach(); }
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;

    bool attached() const { return m_joystick != nullptr; }
    void press(SDL_GameControllerButton button) { setButton(button, 1); }
    void release(SDL_GameControllerButton button) { setButton(button, 0); }
    void stick(SDL_GameControllerAxis axis, int value) {
        SDL_JoystickSetVirtualAxis(m_joystick, axis, static_cast<Sint16>(value));
    }
    void detach() {
        if (m_joystick == nullptr) {
            return;
        }
        const SDL_JoystickID id = SDL_JoystickInstanceID(m_joystick);
        SDL_JoystickClose(m_joystick);
        m_joystick = nullptr;
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (SDL_JoystickGetDeviceInstanceID(i) == id) {
                SDL_JoystickDetachVirtual(i);
                return;
            }
        }
    }

  private:
    void setButton(SDL_GameControllerButton button, Uint8 down) {
        SDL_JoystickSetVirtualButton(m_joystick, button, down);
    }

    SDL_Joystick* m_joystick = nullptr;
};
