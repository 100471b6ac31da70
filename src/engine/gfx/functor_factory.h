// velm::gfx::CFunctorFactory: creates particle functors by their registered names. A name
// registered twice keeps its first entry; an unknown name is logged and gives the base functor,
// which does nothing, so a template with a misspelt role still loads. Main thread only.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "engine/gfx/particle_functors.h"

namespace velm {
namespace gfx {

class CFunctorFactory {
public:
    using CreateFunction = PartBaseFunctor* (*)();

    // A null function stands for the base functor.
    void RegisterFunctor(const std::string& name, CreateFunction create);
    // Never null; the caller owns the functor, which carries the asked name.
    PartBaseFunctor* CreateFunctor(const std::string& name) const;
    bool IsRegistered(const std::string& name) const { return m_creators.count(name) != 0; }
    std::size_t GetCount() const { return m_creators.size(); }

private:
    std::map<std::string, CreateFunction> m_creators;
};

// "BasePartFunctorClass" and "null" (the base, which does nothing) and the twenty-three functors
// of the family.
void RegisterParticleFunctors(CFunctorFactory* factory);

} // namespace gfx
} // namespace velm
