#pragma once

// A named path that montage elements follow. The base locus is the identity
// path: progress p gives the point (p, p, p). Custom paths override
// locusPoint(); a view element reads only `y` (0 bottom, 1 top).
//
// Main thread only. The scenes that last looked the locus up are held weakly
// and read null once they are gone.

#include "platform/foundation/Object.h"

#include <memory>
#include <string>

class KRMontageElement;
class KRMontageScenes;

struct KRMontageLocusPoint {
    float x = 0;
    float y = 0;
    float z = 0;
};

class KRMontageLocus : public pf::Object {
public:
    KRMontageLocus() = default;
    explicit KRMontageLocus(std::string name)
        : m_name(std::move(name))
    {
    }

    const std::string& name() const { return m_name; }
    void setName(std::string name) { m_name = std::move(name); }

    std::shared_ptr<KRMontageScenes> scenes() const { return m_scenes.lock(); }
    void setScenes(std::weak_ptr<KRMontageScenes> scenes) { m_scenes = std::move(scenes); }

    virtual KRMontageLocusPoint locusPoint(float progress, KRMontageElement& element);

private:
    std::weak_ptr<KRMontageScenes> m_scenes;
    std::string m_name;
};
