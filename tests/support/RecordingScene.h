// A scene that records every call the frame loop (or anyone) makes on it, as
// readable text, with optional hooks to act inside update and onEvent.
#pragma once

#include <SDL.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Scene.h"

namespace testsupport {

using CallLog = std::vector<std::string>;

class RecordingScene : public Scene {
public:
    // Shared so that the record outlives the scene (the window deletes it).
    std::shared_ptr<CallLog> calls = std::make_shared<CallLog>();

    std::function<void(RecordingScene&)> onUpdate;               // runs inside update
    std::function<void(RecordingScene&, SDL_Event*)> onEventHook; // runs inside onEvent
    int updates = 0;                                             // passes of the loop so far
    AppWindow* ownerAtFirstUpdate = nullptr;
    const SurfaceHandle* lastSlotA = nullptr;
    const SurfaceHandle* lastSlotB = nullptr;

    void onEvent(SDL_Event* event) override {
        record("onEvent(" + std::to_string(event->type) + ")");
        if (onEventHook) onEventHook(*this, event);
    }
    void onKeyDown(SDLKey key) override { record("onKeyDown(" + std::to_string(key) + ")"); }
    void onKeyUp(SDLKey key) override { record("onKeyUp(" + std::to_string(key) + ")"); }
    void update() override {
        if (updates++ == 0) ownerAtFirstUpdate = owner;
        record("update");
        if (onUpdate) onUpdate(*this);
    }
    void onMouseMove(int32_t x, int32_t y) override {
        record("onMouseMove(" + std::to_string(x) + "," + std::to_string(y) + ")");
    }
    void onMouseButton(int32_t x, int32_t y, int32_t button) override {
        record("onMouseButton(" + std::to_string(x) + "," + std::to_string(y) + "," +
               std::to_string(button) + ")");
    }
    void draw(const SurfaceHandle* slotA, const SurfaceHandle* slotB, int32_t x0, int32_t y0,
              int32_t x1, int32_t y1, float weight) override {
        lastSlotA = slotA;
        lastSlotB = slotB;
        record("draw(" + std::to_string(x0) + "," + std::to_string(y0) + "," +
               std::to_string(x1) + "," + std::to_string(y1) + "," + std::to_string(weight) + ")");
    }
    ~RecordingScene() override { record("~Scene"); }

private:
    void record(std::string call) { calls->push_back(std::move(call)); }
};

}  // namespace testsupport
