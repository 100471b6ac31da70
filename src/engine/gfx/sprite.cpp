#include "engine/gfx/sprite.h"

#include <algorithm>

#include "engine/gfx/gfx_core.h"
#include "engine/gfx/texture_cache.h"

namespace velm {
namespace gfx {
namespace {

constexpr float kTexelEdge = 0.5f;

ID3DXSprite* MakeSprite() {
    ID3DXSprite* sprite = nullptr;
    if (GFXCore::Exists() && GFXCore::Instance().GetDevice() != nullptr) {
        GFXCore::Instance().CreateSprite(&sprite);
    }
    return sprite;
}

} // namespace

CSprite::CSprite() : m_sprite(MakeSprite()), m_texture(std::make_unique<CTextureRef>()) {}

CSprite::CSprite(const std::string& textureFile) : CSprite() { LoadTexture(textureFile); }

CSprite::~CSprite() {
    if (m_sprite != nullptr) {
        m_sprite->Release();
    }
}

void CSprite::OnLostDevice() {
    if (m_sprite != nullptr) {
        m_sprite->OnLostDevice();
    }
}

void CSprite::OnResetDevice() {
    if (m_sprite != nullptr) {
        m_sprite->OnResetDevice();
    }
}

void CSprite::LoadTexture(const std::string& fileName) {
    m_texture->SetFile(fileName);
    m_textureWidth = static_cast<int>(m_texture->GetWidth());
    m_textureHeight = static_cast<int>(m_texture->GetHeight());
}

void CSprite::SetScale(float x, float y, float z) {
    m_scaleX = x;
    m_scaleY = y;
    m_scaleZ = z;
}

void CSprite::AddAnimation(const std::string& name, const SSpriteAnimation& record) {
    SSpriteAnimation copy = record;
    copy.frameCount = std::clamp(copy.frameCount, 0, kMostFrames);
    // Replacing the current record keeps it current.
    m_animations[name] = copy;
}

void CSprite::AddAnimation(const std::string& name, int frameWidth, int frameHeight, int frameCount, int firstLeft,
                           int firstTop, int frameTime, int pivotX, int pivotY, bool loop) {
    SSpriteAnimation record;
    record.pivotX = pivotX;
    record.pivotY = pivotY;
    record.frameWidth = frameWidth;
    record.frameHeight = frameHeight;
    record.frameCount = frameCount;
    record.firstLeft = firstLeft;
    record.firstTop = firstTop;
    record.frameTime = frameTime;
    record.loop = loop ? 1 : 0;
    AddAnimation(name, record);
}

void CSprite::SetAnimation(const std::string& name) {
    const auto found = m_animations.find(name);
    if (found == m_animations.end()) {
        m_current = nullptr;
        return;
    }
    if (m_current != nullptr) {
        m_current->currentFrame = 0;
        m_current->accumulated = 0;
    }
    m_current = &found->second;
    m_pivotX = m_current->pivotX;
    m_pivotY = m_current->pivotY;
}

bool CSprite::IsCurrentAnimation(const std::string& name) const {
    const auto found = m_animations.find(name);
    return found != m_animations.end() && m_current == &found->second;
}

void CSprite::Update(unsigned elapsedMs) {
    if (m_current == nullptr || m_current->stopped != 0) {
        return;
    }
    SSpriteAnimation& a = *m_current;
    if (a.frameTime <= 0) {
        // No frame time never steps; the clock is not left to grow without end.
        a.accumulated = 0;
        return;
    }
    a.accumulated += static_cast<int>(std::min<unsigned>(elapsedMs, 1u << 30));
    if (a.accumulated < a.frameTime) {
        return;
    }
    const int steps = a.accumulated / a.frameTime;
    a.accumulated -= steps * a.frameTime;
    if (a.frameCount <= 0) {
        a.currentFrame = 0;
        return;
    }
    long long frame = static_cast<long long>(a.currentFrame) + steps;
    if (a.loop == 0 && frame >= a.frameCount) {
        frame = a.frameCount - 1;
    }
    a.currentFrame = static_cast<int>(frame % a.frameCount);
}

bool CSprite::GetSourceRect(RECT* rect) const {
    if (m_current == nullptr || m_current->frameWidth <= 0 || m_current->frameHeight <= 0) {
        return false;
    }
    const SSpriteAnimation& a = *m_current;
    rect->left = a.firstLeft;
    rect->top = a.firstTop;
    rect->right = rect->left + a.frameWidth - 1;
    rect->bottom = rect->top + a.frameHeight - 1;
    const int framesPerRow = (m_textureWidth - a.firstLeft) / a.frameWidth;
    long long shift = static_cast<long long>(a.currentFrame) * a.frameWidth;
    if (framesPerRow < 1) {
        // Not one frame fits across: the frames stand one under another.
        rect->top += a.currentFrame * a.frameHeight;
        rect->bottom += a.currentFrame * a.frameHeight;
        shift = 0;
    } else {
        const long long rowWidth = static_cast<long long>(framesPerRow) * a.frameWidth;
        while (rect->right + shift >= m_textureWidth) {
            rect->top += a.frameHeight;
            rect->bottom += a.frameHeight;
            shift -= rowWidth;
        }
    }
    rect->left += static_cast<LONG>(shift);
    rect->right += static_cast<LONG>(shift);
    return true;
}

void CSprite::Render(double, float) {
    if (m_current == nullptr || m_visible == 0 || m_sprite == nullptr || m_texture->GetTexture() == nullptr) {
        return;
    }
    RECT source;
    if (!GetSourceRect(&source)) {
        return;
    }
    // The frame's rectangle names its last column and row, while the sprite draws up to, not
    // including, right and bottom: without one more of each, every frame lost a column and a row
    // and a picture scaled to the back buffer left a strip at its right and bottom edges.
    ++source.right;
    ++source.bottom;
    const float px = static_cast<float>(m_pivotX);
    const float py = static_cast<float>(m_pivotY);
    D3DXMATRIX toPivot;
    D3DXMATRIX scaling;
    D3DXMATRIX rotation;
    D3DXMATRIX fromPivot;
    D3DXMATRIX placing;
    D3DXMatrixTranslation(&toPivot, -px, -py, 0.0f);
    D3DXMatrixScaling(&scaling, m_scaleX, m_scaleY, m_scaleZ);
    D3DXMatrixRotationYawPitchRoll(&rotation, m_yaw, m_pitch, m_roll);
    D3DXMatrixTranslation(&fromPivot, px, py, 0.0f);
    // Texel edges meet pixel edges half a pixel up and left of the position. Shifting by the
    // sprite's centre (0.5, 0.5) before the scaling moved a scaled picture by half a texel of its
    // own, up to a pixel or more, so the shift is made here, in screen pixels.
    D3DXMatrixTranslation(&placing, static_cast<float>(m_x) - px - kTexelEdge,
                          static_cast<float>(m_y) - py - kTexelEdge, 0.0f);
    D3DXMATRIX transform;
    D3DXMatrixMultiply(&transform, &toPivot, &scaling);
    D3DXMatrixMultiply(&transform, &transform, &rotation);
    D3DXMatrixMultiply(&transform, &transform, &fromPivot);
    D3DXMatrixMultiply(&transform, &transform, &placing);
    const D3DXVECTOR3 centre(0.0f, 0.0f, 0.0f);
    m_sprite->Begin(D3DXSPRITE_ALPHABLEND);
    m_sprite->SetTransform(&transform);
    m_sprite->Draw(m_texture->GetTexture(), &source, &centre, nullptr, 0xFFFFFFFF);
    m_sprite->End();
}

} // namespace gfx
} // namespace velm
