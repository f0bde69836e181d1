#include "graph/custom_build.h"

#include <gst/gst.h>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <exception>

#include "graph/filter_chooser.h"
#include "graph/graph_state.h"
#include "graph/media_type_names.h"
#include "graph/medium_session.h"
#include "graph/message_box.h"
#include "lexicon/lexicon.h"
#include "platform/engine/filter_mapper.h"

namespace quova {

using namespace engine;

namespace {

FilterGraph* Builder(MediumSession& session) {
    return session.graph.GraphBuilder.get();
}

bool Selected(const Pin& pin, int which) {
    const bool out = pin.Direction() == PinDirection::Output;
    return out ? (which == PinsOutput || which == PinsAll)
               : (which == PinsInput || which == PinsAll);
}

bool TypeMatches(const MediaType& type, const Guid& major, const Guid& sub) {
    return (major.IsNull() || type.majorType == major) && (sub.IsNull() || type.subType == sub);
}

// What the filter is, in GStreamer's own words, for the chooser's entries.
QString Description(const FilterInfo& info) {
    GstElementFactory* factory = gst_element_factory_find(info.factoryName.c_str());
    if (!factory) return {};
    const char* text = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_DESCRIPTION);
    QString out = QString::fromUtf8(text ? text : "");
    gst_object_unref(factory);
    return out;
}

}  // namespace

PinTypes DescribePinTypes(const std::string& pathText, const Pin& pin) {
    PinTypes out;
    out.text = pathText;
    for (const MediaType& type : pin.MediaTypes()) {
        if (static_cast<int>(out.types.size()) >= kMaxPinTypes) break;
        out.types.push_back(type);
        out.text +=
            "\n[" + MediaTypeName(type.majorType) + "/" + MediaTypeName(type.subType) + "] ";
    }
    return out;
}

void FillFilterList(bool exactMatch, std::uint32_t merit, const std::vector<MediaType>& inputTypes,
                    const std::vector<MediaType>& outputTypes) {
    TQuovaAddFilt& chooser = FilterChooser();
    try {
        const auto found = FilterMapper::Instance().EnumMatchingFilters(
            exactMatch, merit, !inputTypes.empty(), inputTypes, !outputTypes.empty(), outputTypes);
        for (const FilterInfo* info : found) {
            auto* item = new QListWidgetItem(QString::fromStdString(info->friendlyName));
            item->setToolTip(Description(*info));
            chooser.ListBox1->addItem(item);
        }
    } catch (const std::exception& e) {
        ShowMessage(std::string(e.what()) + "\n" + Lex(390), MbIconStop);
    }
}

FilterPtr CreateFilterByName(const std::string& friendlyName) {
    try {
        return FilterMapper::Instance().CreateByName(friendlyName);
    } catch (const std::exception& e) {
        ShowMessage(std::string(e.what()) + "\n" + Lex(390), MbIconStop);
        return nullptr;
    }
}

int CountPins(const FilterPtr& filter, int which) {
    if (!filter) return 0;
    int count = 0;
    for (const PinPtr& pin : filter->Pins())
        if (Selected(*pin, which)) ++count;
    return count;
}

PinPtr GetPin(const FilterPtr& filter, int which, int index) {
    if (!filter) return nullptr;
    int n = 0;
    for (const PinPtr& pin : filter->Pins())
        if (Selected(*pin, which) && ++n == index) return pin;
    return nullptr;
}

void RemoveDownstream(MediumSession& session, const FilterPtr& filter) {
    FilterGraph* graph = Builder(session);
    if (!graph || !filter) return;
    const int outputs = CountPins(filter, PinsOutput);
    for (int i = 1; i <= outputs; ++i) {
        const PinPtr pin = GetPin(filter, PinsOutput, i);
        if (!pin) continue;
        if (const PinPtr peer = pin->ConnectedTo())
            if (const FilterPtr next = peer->Owner(); next && next != filter)
                RemoveDownstream(session, next);
    }
    graph->RemoveFilter(filter);
}

int FindFilterNamesByPinType(MediumSession& session, const Guid& majorType, const Guid& subType,
                             PinDirection direction, int maxIndex,
                             std::vector<std::string>& names) {
    FilterGraph* graph = Builder(session);
    int count = 0;
    if (!graph) return 0;
    names.clear();
    auto store = [&](const std::string& name) {
        if (count > maxIndex) return false;
        names.push_back(name.substr(0, 128));
        ++count;
        return true;
    };
    for (const FilterPtr& filter : graph->Filters()) {
        for (const PinPtr& pin : filter->Pins()) {
            if (pin->Direction() != direction) continue;
            if (pin->IsConnected()) {
                const Outcome<MediaType> type = pin->ConnectionMediaType();
                if (type.ok() && TypeMatches(type.value, majorType, subType) &&
                    !store(filter->Name()))
                    return count;
                continue;
            }
            for (const MediaType& type : pin->MediaTypes())
                if (TypeMatches(type, majorType, subType) && !store(filter->Name())) return count;
        }
    }
    return count;
}

void BypassMediaType(MediumSession& session, const Guid& majorType) {
    FilterGraph* graph = Builder(session);
    if (!graph) return;
    std::vector<std::string> names;
    FindFilterNamesByPinType(session, majorType, GUID_NULL, PinDirection::Input, 63, names);
    for (const std::string& name : names)
        if (const FilterPtr filter = graph->FindFilterByName(name)) graph->RemoveFilter(filter);
}

HResult CustomBuild(MediumSession& session, const std::string& pathText, const PinPtr& pin) {
    HResult result = E_FAIL;
    FilterGraph* graph = Builder(session);
    if (!graph || !pin) return E_POINTER;
    try {
        TQuovaAddFilt& chooser = FilterChooser();
        const PinTypes described = DescribePinTypes(pathText + " -> " + pin->Id(), *pin);
        chooser.ListBox1->clear();
        chooser.ListBox1->setSortingEnabled(false);
        result = S_OK;
        if (!described.types.empty())
            FillFilterList(false, MERIT_DO_NOT_USE + 1, described.types, {});
        if (chooser.ListBox1->count() == 0) return result;

        chooser.Label1->setText(QString::fromStdString(FormatLex(400, described.text)));
        chooser.Label1->adjustSize();
        chooser.Button1->setText(QString::fromStdString(Lex(420)));
        chooser.Button2->setText(QString::fromStdString(Lex(430)));
        chooser.Button2->setVisible(true);
        chooser.Button3->setText(QString::fromStdString(Lex(440)));
        chooser.Button3->setVisible(true);
        chooser.CheckBox1->setVisible(false);
        chooser.setWindowTitle(QString::fromStdString(Lex(410)));
        chooser.ListBox1->setCurrentRow(-1);
        chooser.ListBox1->clearSelection();

        const int answer = chooser.ShowModal();
        if (answer == QDialog::Accepted) {
            const QList<QListWidgetItem*> chosen = chooser.ListBox1->selectedItems();
            const std::string name = chosen.isEmpty() ? "" : chosen.front()->text().toStdString();
            const FilterPtr filter = name.empty() ? nullptr : CreateFilterByName(name);
            if (filter && Succeeded(graph->AddFilter(filter, name + " *"))) {
                for (const PinPtr& input : filter->Pins(PinDirection::Input))
                    if (Succeeded(result = graph->Connect(pin, input))) break;
                // Outputs may appear only once the input is connected.
                for (const PinPtr& output : filter->Pins(PinDirection::Output))
                    result = CustomBuild(session, name, output);
            }
        }
        if (answer != TQuovaAddFilt::Aborted && !pin->IsConnected()) result = graph->Render(pin);
    } catch (...) {
        // The pin stays as it is; the open goes on with what was built.
    }
    return result;
}

}  // namespace quova
