#include "engine/ai/neural_net.h"

#include <cmath>

#include "engine/ai/ai_random.h"

namespace velm {
namespace ai {

CNeuron::CNeuron(int inputs)
    : m_inputCount(inputs + 1),
      m_weights(static_cast<std::size_t>(inputs + 1)),
      m_previousChanges(static_cast<std::size_t>(inputs + 1), 0.0) {
    for (double& weight : m_weights) {
        weight = AIRandInRange(-1.0f, 1.0f);
    }
}

CNeuronLayer::CNeuronLayer(int neurons, int inputsPerNeuron) : m_neuronCount(neurons) {
    m_neurons.reserve(static_cast<std::size_t>(neurons));
    for (int i = 0; i < neurons; ++i) {
        m_neurons.emplace_back(inputsPerNeuron);
    }
}

std::string CNeuralNet::Validate(const SNetDesc& d) {
    auto inRange = [](int v, int lo) { return v >= lo && v <= MAX_COUNT; };
    if (!inRange(d.m_inputs, 1)) {
        return "Inputs must be 1 to " + std::to_string(MAX_COUNT) + ", not " + std::to_string(d.m_inputs);
    }
    if (!inRange(d.m_outputs, 1)) {
        return "Outputs must be 1 to " + std::to_string(MAX_COUNT) + ", not " + std::to_string(d.m_outputs);
    }
    if (!inRange(d.m_hiddenLayers, 0)) {
        return "HLayers must be 0 to " + std::to_string(MAX_COUNT) + ", not " + std::to_string(d.m_hiddenLayers);
    }
    if (d.m_hiddenLayers > 0 && !inRange(d.m_neuronsPerHiddenLayer, 1)) {
        return "NPHL must be 1 to " + std::to_string(MAX_COUNT) + ", not " + std::to_string(d.m_neuronsPerHiddenLayer);
    }
    if (!(std::fabs(d.m_activationResponse) > 0.0) || !std::isfinite(d.m_activationResponse)) {
        return "AResp must be a number other than 0";
    }
    if (WeightCount(d) > MAX_WEIGHTS) {
        return "the net would have more than " + std::to_string(MAX_WEIGHTS) + " weights";
    }
    return std::string();
}

long CNeuralNet::WeightCount(const SNetDesc& d) {
    if (d.m_hiddenLayers == 0) {
        return static_cast<long>(d.m_outputs) * (d.m_inputs + 1);
    }
    const long hidden = d.m_neuronsPerHiddenLayer;
    return hidden * (d.m_inputs + 1) + (d.m_hiddenLayers - 1L) * hidden * (hidden + 1) + d.m_outputs * (hidden + 1);
}

CNeuralNet::CNeuralNet(const SNetDesc& d)
    : m_inputs(d.m_inputs),
      m_outputs(d.m_outputs),
      m_hiddenLayers(d.m_hiddenLayers),
      m_neuronsPerHiddenLayer(d.m_neuronsPerHiddenLayer),
      m_learningRate(d.m_learningRate),
      m_activationResponse(d.m_activationResponse),
      m_momentum(d.m_momentum),
      m_jitter(d.m_jitter),
      m_threshold(d.m_threshold),
      m_momentumOn(d.m_momentum > 0.0),
      m_jitterOn(d.m_jitter > 0.0),
      m_name(d.m_name) {}

void CNeuralNet::CreateNet() {
    m_layers.clear();
    if (m_hiddenLayers == 0) {
        m_layers.emplace_back(m_outputs, m_inputs);
        return;
    }
    m_layers.emplace_back(m_neuronsPerHiddenLayer, m_inputs);
    for (int i = 0; i < m_hiddenLayers - 1; ++i) {
        m_layers.emplace_back(m_neuronsPerHiddenLayer, m_neuronsPerHiddenLayer);
    }
    m_layers.emplace_back(m_outputs, m_neuronsPerHiddenLayer);
}

long CNeuralNet::GetWeightCount() const {
    long count = 0;
    for (const CNeuronLayer& layer : m_layers) {
        for (const CNeuron& neuron : layer.m_neurons) {
            count += static_cast<long>(neuron.m_weights.size());
        }
    }
    return count;
}

bool CNeuralNet::PutWeights(const std::vector<double>& weights) {
    if (static_cast<long>(weights.size()) != GetWeightCount()) {
        return false;
    }
    std::size_t next = 0;
    for (CNeuronLayer& layer : m_layers) {
        for (CNeuron& neuron : layer.m_neurons) {
            for (double& weight : neuron.m_weights) {
                weight = weights[next++];
            }
        }
    }
    return true;
}

void CNeuralNet::PutLeadingWeights(const std::vector<double>& weights) {
    std::size_t next = 0;
    for (CNeuronLayer& layer : m_layers) {
        for (CNeuron& neuron : layer.m_neurons) {
            for (double& weight : neuron.m_weights) {
                if (next == weights.size()) {
                    return;
                }
                weight = weights[next++];
            }
        }
    }
}

std::vector<double> CNeuralNet::Update(const std::vector<double>& given) {
    std::vector<double> inputs = given;
    if (m_jitterOn) {
        for (double& input : inputs) {
            input += AIRandFloat() * m_jitter;
        }
    }
    if (static_cast<int>(inputs.size()) != m_inputs || m_layers.empty()) {
        return {};
    }
    std::vector<double> outputs;
    for (CNeuronLayer& layer : m_layers) {
        outputs.clear();
        for (CNeuron& neuron : layer.m_neurons) {
            const std::size_t n = neuron.m_weights.size() - 1;
            double sum = 0.0;
            for (std::size_t i = 0; i < n && i < inputs.size(); ++i) {
                sum += neuron.m_weights[i] * inputs[i];
            }
            sum -= neuron.m_weights[n];
            neuron.m_activation = 1.0 / (1.0 + std::exp(-sum / m_activationResponse));
            outputs.push_back(neuron.m_activation);
        }
        inputs = outputs;
    }
    return outputs;
}

} // namespace ai
} // namespace velm
