// Lights and switches from the entity text (a token walk over "classname" pairs), and loading
// step 3, which also places every switch at its model.
#include "level/entities.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <boost/tokenizer.hpp>

#include "level/bsp_loader.h"
#include "level/level_reading.h"

namespace Tamrik {

Light::Light()
    : ambient{0.6f, 0.6f, 0.6f, 0.6f}, diffuse{0.6f, 0.6f, 0.6f, 0.6f},
      specular{0.6f, 0.6f, 0.6f, 0.6f}, origin{0.0f, 0.0f, 0.0f, 0.0f},
      spotDirection{0.0f, 0.0f, 0.0f}, spotExponention(1.0f), spotAngle(0.4f), constAtten(1.0f),
      linAtten(1.0f), quadAtten(1.0f), state(0), ID(-1), culled(1)
{
}

CEntitySet::CEntitySet() : lights(nullptr), buttons(nullptr), lightCount(0), buttonCount(0) {}

CEntitySet::~CEntitySet()
{
    std::free(lights);
    std::free(buttons);
}

namespace {

using Tokens = std::vector<std::string>;

// Reads up to n numbers into out; tokens running out leaves the rest untouched.
void ReadReals(const Tokens& tokens, size_t& i, float* out, int n)
{
    for (int k = 0; k < n; ++k) {
        ++i;
        if (i >= tokens.size())
            return;
        out[k] = static_cast<float>(std::atof(tokens[i].c_str()));
    }
}

// atoi, but a number beyond int32 saturates instead of being undefined.
int32_t ToInteger(const std::string& token)
{
    long value = std::strtol(token.c_str(), nullptr, 10);
    if (value > INT32_MAX)
        return INT32_MAX;
    if (value < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

int32_t ReadInteger(const Tokens& tokens, size_t& i)
{
    ++i;
    return i < tokens.size() ? ToInteger(tokens[i]) : 0;
}

// The key loop of one light; false when the tokens run out before its "}".
bool ReadLight(const Tokens& tokens, size_t& i, Light& light)
{
    while (i < tokens.size() && tokens[i] != "}") {
        ++i;
        if (i >= tokens.size())
            break;
        const std::string& key = tokens[i];
        if (key == "ambient") {
            ReadReals(tokens, i, light.ambient, 4);
        } else if (key == "diffuse") {
            ReadReals(tokens, i, light.diffuse, 4);
        } else if (key == "specular") {
            ReadReals(tokens, i, light.specular, 4);
        } else if (key == "origin") {
            ReadReals(tokens, i, light.origin, 4);
        } else if (key == "spotDirection") {
            ReadReals(tokens, i, light.spotDirection, 3);
        } else if (key == "spotExponention") {
            ReadReals(tokens, i, &light.spotExponention, 1);
        } else if (key == "spotAngle") {
            ReadReals(tokens, i, &light.spotAngle, 1);
        } else if (key == "constAtten") {
            ReadReals(tokens, i, &light.constAtten, 1);
        } else if (key == "linAtten") {
            ReadReals(tokens, i, &light.linAtten, 1);
        } else if (key == "quadAtten") {
            ReadReals(tokens, i, &light.quadAtten, 1);
        } else if (key == "state") {
            ++i;
            if (i < tokens.size()) {
                // Truncated toward zero, kept inside int32 whatever the text says.
                double value = std::atof(tokens[i].c_str());
                light.state = value >= -2147483648.0 && value < 2147483648.0
                                  ? static_cast<int32_t>(value)
                                  : 0;
            }
        } else if (key == "ID") {
            light.ID = ReadInteger(tokens, i);
        } else if (key == "culled") {
            light.culled = ReadInteger(tokens, i);
        }
    }
    return i < tokens.size();
}

bool ReadButton(const Tokens& tokens, size_t& i, FuncButton& button)
{
    while (i < tokens.size() && tokens[i] != "}") {
        if (tokens[i] == "target")
            button.target = ReadInteger(tokens, i);
        else if (tokens[i] == "model")
            button.model = ReadInteger(tokens, i);
        ++i;
    }
    return i < tokens.size();
}

} // namespace

void ParseEntities(CEntitySet& set, std::string text)
{
    using Separator = boost::char_separator<char>;
    Separator separator(" *\"\n", "{}", boost::drop_empty_tokens);
    boost::tokenizer<Separator> tokenizer(text, separator);
    const Tokens tokens(tokenizer.begin(), tokenizer.end());

    // A text cut off inside an entity ends the pass there; only whole entities are stored.
    for (size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i] != "classname")
            continue;
        if (++i >= tokens.size())
            break;
        if (tokens[i] != "light")
            continue;
        if (!ReadLight(tokens, i, set.lightTemplate)) {
            set.lightTemplate = Light();
            break;
        }
        void* grown = std::realloc(set.lights, sizeof(Light) * static_cast<size_t>(set.lightCount + 1));
        if (!grown)
            break;
        set.lights = static_cast<Light*>(grown);
        set.lights[set.lightCount++] = set.lightTemplate;
        set.lightTemplate = Light();
    }

    for (size_t i = 0; i < tokens.size(); ++i) {
        if (tokens[i] != "classname")
            continue;
        if (++i >= tokens.size())
            break;
        if (tokens[i] != "func_button")
            continue;
        if (!ReadButton(tokens, i, set.buttonTemplate)) {
            set.buttonTemplate = FuncButton();
            break;
        }
        void* grown = std::realloc(set.buttons,
                                   sizeof(FuncButton) * static_cast<size_t>(set.buttonCount + 1));
        if (!grown)
            break;
        set.buttons = static_cast<FuncButton*>(grown);
        set.buttons[set.buttonCount++] = set.buttonTemplate;
        set.buttonTemplate = FuncButton();
    }
}

void ReadEntities(const CBSPLoader& level, CEntitySet& entities)
{
    const char* text = level.EntityText();
    if (*text)
        ParseEntities(entities, text);
    const int32_t models = level.RecordCount(LUMP_MODEL);
    for (int32_t i = 0; i < entities.buttonCount; ++i) {
        FuncButton& button = entities.buttons[i];
        // A switch naming no model of the level stays where the template put it, at (0, 0, 0).
        if (button.model < 0 || button.model >= models)
            continue;
        const BSPModel& model = level.models[button.model];
        for (int k = 0; k < 3; ++k)
            button.centre[k] = (model.mins[k] + model.maxs[k]) * 0.5f;
    }
}

} // namespace Tamrik
