// velm::gfx::CSprite and SSpriteAnimation: a textured 2D unit that shows one frame of a named
// animation, frames laid left to right in rows of its texture. The sprite owns its D3DX sprite,
// its texture and its animations; a missing texture, sprite or animation draws nothing.
// Main thread only.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "engine/gfx/screen_unit.h"
#include "platform/d3d9/d3dx9.h"

namespace velm {
namespace gfx {

class CTextureRef;

struct SSpriteAnimation {
    int pivotX = 0;
    int pivotY = 0;
    int frameWidth = 0;
    int frameHeight = 0;
    int currentFrame = 0;
    int frameCount = 0;
    int firstLeft = 0;
    int firstTop = 0;
    int frameTime = 200; // milliseconds
    int accumulated = 0; // milliseconds
    std::uint8_t stopped = 1;
    std::uint8_t loop = 0;
};

class CSprite : public IScreenUnit {
public:
    // Frames a texture can hold: a frame count from a layout file is clamped to it.
    static constexpr int kMostFrames = 4096;

    CSprite();
    explicit CSprite(const std::string& textureFile);
    ~CSprite() override;
    CSprite(const CSprite&) = delete;
    CSprite& operator=(const CSprite&) = delete;

    void OnLostDevice() override;
    void OnResetDevice() override;
    void Update(unsigned elapsedMs) override;
    void Render(double time, float elapsed) override;
    int GetZOrder() const override { return m_zOrder; }
    void SetZOrder(int z) override { m_zOrder = z; }
    bool IsVisible() const override { return m_visible != 0; }
    void SetVisible(bool visible) override { m_visible = visible ? 1 : 0; }
    bool HandleInput(const input::SInputEvent&) override { return false; }

    void LoadTexture(const std::string& fileName);
    void SetScale(float x, float y, float z);
    void SetRotation(float roll) { m_roll = roll; }
    void SetPosition(int x, int y) {
        m_x = x;
        m_y = y;
    }
    int GetX() const { return m_x; }
    int GetY() const { return m_y; }
    int GetPivotX() const { return m_pivotX; }
    int GetPivotY() const { return m_pivotY; }
    int GetTextureWidth() const { return m_textureWidth; }
    int GetTextureHeight() const { return m_textureHeight; }
    // Tests and layouts without a texture file give the size by hand.
    void SetTextureSize(int width, int height) {
        m_textureWidth = width;
        m_textureHeight = height;
    }

    void AddAnimation(const std::string& name, const SSpriteAnimation& record);
    void AddAnimation(const std::string& name, int frameWidth, int frameHeight, int frameCount, int firstLeft,
                      int firstTop, int frameTime, int pivotX, int pivotY, bool loop);
    // An unknown name leaves no current animation (the sprite then draws nothing).
    void SetAnimation(const std::string& name);
    bool HasAnimation(const std::string& name) const { return m_animations.count(name) != 0; }
    bool IsCurrentAnimation(const std::string& name) const;
    // Null without a current animation; the owner starts playback by clearing its stopped flag.
    SSpriteAnimation* GetCurrentAnimation() { return m_current; }
    const SSpriteAnimation* GetCurrentAnimation() const { return m_current; }
    // The texture rectangle of the current frame (right and bottom inclusive); false without a
    // current animation or when the frame has no width or height.
    bool GetSourceRect(RECT* rect) const;

    ID3DXSprite* GetD3DXSprite() const { return m_sprite; }
    CTextureRef* GetTexture() const { return m_texture.get(); }

protected:
    ID3DXSprite* m_sprite = nullptr;
    std::unique_ptr<CTextureRef> m_texture;
    std::map<std::string, SSpriteAnimation> m_animations;
    SSpriteAnimation* m_current = nullptr;
    int m_textureWidth = 0;
    int m_textureHeight = 0;
    int m_x = 0;
    int m_y = 0;
    int m_pivotX = 0;
    int m_pivotY = 0;
    int m_zOrder = 3;
    std::uint8_t m_visible = 1;
    float m_scaleX = 1.0f;
    float m_scaleY = 1.0f;
    float m_scaleZ = 1.0f;
    float m_pitch = 0.0f;
    float m_yaw = 0.0f;
    float m_roll = 0.0f;
};

} // namespace gfx
} // namespace velm
