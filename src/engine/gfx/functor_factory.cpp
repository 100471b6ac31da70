#include "engine/gfx/functor_factory.h"

#include <cstdio>

namespace velm {
namespace gfx {
namespace {

template <typename T>
PartBaseFunctor* Make() {
    return new T();
}

} // namespace

void CFunctorFactory::RegisterFunctor(const std::string& name, CreateFunction create) {
    m_creators.emplace(name, create);
}

PartBaseFunctor* CFunctorFactory::CreateFunctor(const std::string& name) const {
    const auto found = m_creators.find(name);
    PartBaseFunctor* functor = nullptr;
    if (found == m_creators.end()) {
        std::fprintf(stderr, "Particle functor \"%s\" is not registered; the role does nothing\n", name.c_str());
    } else if (found->second != nullptr) {
        functor = found->second();
    }
    if (functor == nullptr) {
        functor = new PartBaseFunctor();
    }
    functor->SetName(name);
    return functor;
}

void RegisterParticleFunctors(CFunctorFactory* factory) {
    factory->RegisterFunctor("BasePartFunctorClass", nullptr);
    factory->RegisterFunctor("null", nullptr);
    factory->RegisterFunctor("normal_color_init", &Make<NormalColorInit>);
    factory->RegisterFunctor("random_color_init", &Make<RandColorInit>);
    factory->RegisterFunctor("fade_color_update", &Make<FadeColorUpdate>);
    factory->RegisterFunctor("exponential_color_update", &Make<ExponentialFadeColorUpdate>);
    factory->RegisterFunctor("normal_life_init", &Make<NormalLifeInit>);
    factory->RegisterFunctor("random_life_init", &Make<RandomLifeInit>);
    factory->RegisterFunctor("normal_life_update", &Make<NormalLifeUpdate>);
    factory->RegisterFunctor("incremental_life_update", &Make<IncrementalLifeUpdate>);
    factory->RegisterFunctor("normal_size_init", &Make<NormalSizeInit>);
    factory->RegisterFunctor("random_size_init", &Make<RandomSizeInit>);
    factory->RegisterFunctor("normal_size_update", &Make<NormalSizeUpdate>);
    factory->RegisterFunctor("random_size_update", &Make<RandomSizeUpdate>);
    factory->RegisterFunctor("exponential_size_update", &Make<ExponentialSizeUpdate>);
    factory->RegisterFunctor("normal_velocity_init", &Make<NormalVelocityInit>);
    factory->RegisterFunctor("random_velocity_init", &Make<RandomVelocityInit>);
    factory->RegisterFunctor("cosine_velocity_update", &Make<CosineVelocityUpdate>);
    factory->RegisterFunctor("spiral_velocity_update", &Make<SpiralVelocityUpdate>);
    factory->RegisterFunctor("gravity_velocity_update", &Make<GravityVelocityUpdate>);
    factory->RegisterFunctor("exponential_velocity_update", &Make<ExponentialVelocityUpdate>);
    factory->RegisterFunctor("incremental_velocity_update", &Make<IncrementalVelocityUpdate>);
    factory->RegisterFunctor("normal_position_init", &Make<NormalPositionInit>);
    factory->RegisterFunctor("circle_position_init", &Make<CirclePositionInit>);
    factory->RegisterFunctor("normal_position_update", &Make<NormalPositionUpdate>);
}

} // namespace gfx
} // namespace velm
