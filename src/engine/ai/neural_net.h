// velm::ai::CNeuralNet, a small feed-forward net described by a script table: sigmoid neurons
// with a bias weight, hidden layers then the output layer, weights given in layer, neuron,
// input order. Nothing trains it; the learning fields are kept as read. Owned by the AI manager;
// read from the main thread once a level runs.
#pragma once

#include <string>
#include <vector>

namespace velm {
namespace ai {

struct SNetDesc {
    std::string m_name;
    double m_learningRate = 0.0;
    double m_momentum = 0.0;
    double m_activationResponse = 1.0;
    double m_jitter = 0.0;
    double m_threshold = 0.0;
    int m_inputs = 0;
    int m_outputs = 0;
    int m_hiddenLayers = 0;
    int m_neuronsPerHiddenLayer = 0;
};

struct CNeuron {
    explicit CNeuron(int inputs);

    int m_unused = 0;
    // The inputs plus the bias input.
    int m_inputCount;
    std::vector<double> m_weights;
    std::vector<double> m_previousChanges;
    double m_activation = 1.0;
    double m_error = 0.0;
};

struct CNeuronLayer {
    CNeuronLayer(int neurons, int inputsPerNeuron);

    int m_neuronCount;
    std::vector<CNeuron> m_neurons;
};

class CNeuralNet {
public:
    // Counts a script may ask for; beyond them a table is taken as a mistake, not a net.
    static constexpr int MAX_COUNT = 1024;
    static constexpr long MAX_WEIGHTS = 1L << 20;

    // Empty when the description can make a net; otherwise why not.
    static std::string Validate(const SNetDesc& desc);
    // The weights a valid description needs.
    static long WeightCount(const SNetDesc& desc);

    explicit CNeuralNet(const SNetDesc& desc);

    // Random weights in [-1, 1] from the AI's random source.
    void CreateNet();
    // False, changing nothing, when the list does not hold exactly the net's weights.
    bool PutWeights(const std::vector<double>& weights);
    // The first weights of the net, as many as the list holds (at most the net's); the rest stay.
    void PutLeadingWeights(const std::vector<double>& weights);
    long GetWeightCount() const;
    // Empty when the input count is wrong.
    std::vector<double> Update(const std::vector<double>& inputs);

    const std::string& GetName() const { return m_name; }
    int GetInputCount() const { return m_inputs; }
    int GetOutputCount() const { return m_outputs; }
    const std::vector<CNeuronLayer>& GetLayers() const { return m_layers; }

private:
    int m_inputs;
    int m_outputs;
    int m_hiddenLayers;
    int m_neuronsPerHiddenLayer;
    // Training settings the network keeps for its record but the game never trains with.
    [[maybe_unused]] int m_unused = 0;
    [[maybe_unused]] double m_learningRate;
    double m_activationResponse;
    [[maybe_unused]] double m_momentum;
    double m_jitter;
    [[maybe_unused]] double m_errorSum = 0.0;
    [[maybe_unused]] double m_threshold;
    [[maybe_unused]] bool m_trained = false;
    [[maybe_unused]] bool m_momentumOn;
    bool m_jitterOn;
    std::string m_name;
    std::vector<CNeuronLayer> m_layers;
};

} // namespace ai
} // namespace velm
