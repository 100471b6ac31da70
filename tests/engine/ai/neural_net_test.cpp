#include "engine/ai/neural_net.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using velm::ai::CNeuralNet;
using velm::ai::SNetDesc;

SNetDesc Desc(int inputs, int outputs, int hidden, int perHidden, double response = 1.0) {
    SNetDesc desc;
    desc.m_name = "net";
    desc.m_inputs = inputs;
    desc.m_outputs = outputs;
    desc.m_hiddenLayers = hidden;
    desc.m_neuronsPerHiddenLayer = perHidden;
    desc.m_activationResponse = response;
    return desc;
}

double Sigmoid(double sum, double response = 1.0) { return 1.0 / (1.0 + std::exp(-sum / response)); }

TEST(NeuralNet, LayoutAndWeightCounts) {
    struct SCase {
        SNetDesc desc;
        std::size_t layers;
        long weights;
    };
    const SCase cases[] = {
        {Desc(2, 2, 0, 0), 1, 6},
        {Desc(1, 2, 1, 3), 2, 3 * 2 + 2 * 4},
        {Desc(3, 1, 2, 4), 3, 4 * 4 + 4 * 5 + 5},
    };
    for (const SCase& c : cases) {
        CNeuralNet net(c.desc);
        net.CreateNet();
        EXPECT_EQ(net.GetLayers().size(), c.layers);
        EXPECT_EQ(net.GetWeightCount(), c.weights);
        EXPECT_EQ(CNeuralNet::WeightCount(c.desc), c.weights);
        for (const auto& layer : net.GetLayers()) {
            for (const auto& neuron : layer.m_neurons) {
                for (double w : neuron.m_weights) {
                    EXPECT_GE(w, -1.0);
                    EXPECT_LE(w, 1.0);
                }
            }
        }
    }
}

TEST(NeuralNet, ForwardPassWithAndWithoutAHiddenLayer) {
    CNeuralNet flat(Desc(2, 2, 0, 0, 0.5));
    flat.CreateNet();
    // Neuron weights in order, the bias weight last (its input is -1).
    ASSERT_TRUE(flat.PutWeights({1.0, 2.0, 0.5, -1.0, 0.0, -0.25}));
    std::vector<double> out = flat.Update({0.5, 0.25});
    ASSERT_EQ(out.size(), 2u);
    EXPECT_NEAR(out[0], Sigmoid(0.5 + 0.5 - 0.5, 0.5), 1e-12);
    EXPECT_NEAR(out[1], Sigmoid(-0.5 + 0.25, 0.5), 1e-12);

    CNeuralNet deep(Desc(1, 1, 1, 2));
    deep.CreateNet();
    ASSERT_TRUE(deep.PutWeights({2.0, 1.0, -3.0, 0.0, 1.0, 1.0, 0.5}));
    out = deep.Update({1.0});
    const double h0 = Sigmoid(2.0 - 1.0);
    const double h1 = Sigmoid(-3.0);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_NEAR(out[0], Sigmoid(h0 + h1 - 0.5), 1e-12);
    EXPECT_NEAR(deep.GetLayers()[0].m_neurons[0].m_activation, h0, 1e-12);

    EXPECT_TRUE(deep.Update({1.0, 2.0}).empty());
    EXPECT_TRUE(deep.Update({}).empty());
}

TEST(NeuralNet, BadDescriptionsAndWeightListsAreRefused) {
    struct SCase {
        const char* what;
        SNetDesc desc;
        const char* mentions;
    };
    const SCase cases[] = {
        {"negative inputs", Desc(-1, 2, 0, 0), "Inputs"},
        {"no outputs", Desc(1, 0, 0, 0), "Outputs"},
        {"huge outputs", Desc(1, 100000000, 0, 0), "Outputs"},
        {"negative hidden layers", Desc(1, 2, -3, 2), "HLayers"},
        {"hidden layers without neurons", Desc(1, 2, 1, 0), "NPHL"},
        {"zero response", Desc(1, 2, 0, 0, 0.0), "AResp"},
        {"too many weights", Desc(1000, 1000, 2, 1000), "weights"},
    };
    for (const SCase& c : cases) {
        const std::string error = CNeuralNet::Validate(c.desc);
        EXPECT_NE(error.find(c.mentions), std::string::npos) << c.what << ": " << error;
    }
    EXPECT_EQ(CNeuralNet::Validate(Desc(1, 2, 1, 4)), "");

    CNeuralNet net(Desc(2, 2, 0, 0));
    net.CreateNet();
    const std::vector<double> before = net.GetLayers()[0].m_neurons[0].m_weights;
    EXPECT_FALSE(net.PutWeights({1.0, 2.0, 3.0}));
    EXPECT_FALSE(net.PutWeights(std::vector<double>(7, 1.0)));
    EXPECT_EQ(net.GetLayers()[0].m_neurons[0].m_weights, before);
}

} // namespace
