#include "model/ControlCatalogue.h"

#include "resources/Resources.h"

namespace
{
    namespace Ids
    {
        const juce::Identifier in ("in"), out ("out"), group ("group"), value ("value");
        const juce::Identifier alias ("alias"), title ("title"), type ("type");
        const juce::Identifier cc ("CC"), note ("Note"), preset ("preset"), name ("name");
        const juce::Identifier min ("min"), max ("max"), key ("key");
    }

    const juce::String controlListFile ("controls.txt");
    const juce::String presetsFile ("types.xml");
    const juce::String rangesFile ("ranges.xml");

    const juce::String unknownTitle ("unknown");
    const juce::String unknownType ("unknwon");

    /** Splits at every blank: two blanks in a row give an empty word between them. */
    juce::StringArray splitAt (const juce::String& text, const char* breakCharacter)
    {
        juce::StringArray tokens;
        tokens.addTokens (text, breakCharacter, "");
        return tokens;
    }

    /** "(Logic)" -> "Logic": the text without its first and last character. */
    juce::String withoutEnds (const juce::String& text)
    {
        return text.substring (1).dropLastCharacters (1);
    }

    /** "PLAYER A" -> "Player A ": each word keeps its first character, the rest goes lower case,
        and every word is followed by one blank. */
    juce::String makeGroupTitle (const juce::String& heading)
    {
        juce::String title;

        for (auto& word : splitAt (heading, " "))
            title << word.substring (0, 1) << word.substring (1).toLowerCase() << " ";

        return title;
    }

    void appendValue (juce::ValueTree& group, const juce::String& alias, const juce::String& type, const juce::String& text)
    {
        // A row before the first heading has no group to go into.
        if (! group.isValid())
            return;

        auto groupTitle = group[Ids::title].toString();

        juce::ValueTree value (Ids::value);
        value.setProperty (Ids::alias, alias, nullptr);
        value.setProperty (Ids::title, groupTitle + " " + text, nullptr);
        value.setProperty (Ids::type, type, nullptr);
        value.setProperty (Ids::group, groupTitle, nullptr);
        group.appendChild (value, nullptr);
    }

    juce::ValueTree parseEmbeddedXml (const juce::String& fileName)
    {
        if (auto element = juce::XmlDocument (Resources::getText (fileName)).getDocumentElement (false))
            return juce::ValueTree::fromXml (*element);

        return {};
    }

    /** Indexes the "value" nodes of a tree by alias; an alias already indexed keeps its first node. */
    void indexAliases (const juce::ValueTree& tree, CacheIndex::Map<juce::ValueTree>& index)
    {
        for (const auto& group : tree)
            for (const auto& value : group)
                index.emplace (value[Ids::alias].toString(), value);
    }

    juce::ValueTree findIn (const CacheIndex::Map<juce::ValueTree>& index, const juce::String& alias)
    {
        const auto hit = index.find (alias);
        return hit != index.end() ? hit->second : juce::ValueTree();
    }
}

//==============================================================================
ControlCatalogue::ControlCatalogue()
    : in (Ids::in), out (Ids::out)
{
}

ControlCatalogue::~ControlCatalogue() = default;

void ControlCatalogue::load()
{
    loadControlList (Resources::getText (controlListFile));
    indexControls();
    types = parseEmbeddedXml (presetsFile);
    ranges = parseEmbeddedXml (rangesFile);
}

void ControlCatalogue::loadControlList (const juce::String& text)
{
    juce::StringArray lines;
    lines.addLines (text);

    juce::ValueTree inGroup, outGroup;

    for (auto& line : lines)
    {
        if (line.endsWithChar (':'))
        {
            auto title = makeGroupTitle (line.dropLastCharacters (1));

            inGroup = juce::ValueTree (Ids::group, { { Ids::title, title } });
            outGroup = juce::ValueTree (Ids::group, { { Ids::title, title } });
            in.appendChild (inGroup, nullptr);
            out.appendChild (outGroup, nullptr);
        }

        juce::String alias, type, rowText;
        auto tokens = splitAt (line, " ");

        if (tokens.size() >= 3)
        {
            alias = tokens[1];
            type = withoutEnds (tokens[2]);

            auto parts = splitAt (line, "=");

            if (parts.size() >= 3)
                rowText = parts[2].substring (2).dropLastCharacters (1);
        }

        // A missing token reads as empty (StringArray's operator[] gives an empty string).
        if (line.startsWith ("In&Out"))
        {
            appendValue (inGroup, alias, type, rowText);
            appendValue (outGroup, alias, type, rowText);
        }
        else if (line.startsWith ("In"))
        {
            appendValue (inGroup, tokens[5], withoutEnds (tokens[6]), rowText);
        }
        else if (line.startsWith ("   Out"))
        {
            appendValue (outGroup, tokens[4], withoutEnds (tokens[5]), rowText);
        }
    }
}

//==============================================================================
void ControlCatalogue::indexControls()
{
    // The first node of an alias in "in", else in "out": the node a search of "in" and then
    // "out" in tree order meets first. The trees never change after loading.
    controlsByAlias.clear();
    outputsByAlias.clear();
    indexAliases (in, controlsByAlias);
    indexAliases (out, controlsByAlias);
    indexAliases (out, outputsByAlias);
}

juce::ValueTree ControlCatalogue::findControl (const juce::String& alias) const
{
    return findIn (controlsByAlias, alias);
}

juce::ValueTree ControlCatalogue::findOutput (const juce::String& alias) const
{
    return findIn (outputsByAlias, alias);
}

bool ControlCatalogue::isKnownAlias (const juce::String& alias) const
{
    if (auto* cached = knownIndex.find (alias))
        return cached->getIntValue() != 0;

    if (findControl (alias).isValid())
    {
        knownIndex.store (alias, true);
        return true;
    }

    knownIndex.store (alias, juce::var());
    return false;
}

bool ControlCatalogue::isOutputAlias (const juce::String& alias) const
{
    if (findOutput (alias).isValid())
    {
        knownIndex.store (alias, true);
        return true;
    }

    return false;
}

juce::String ControlCatalogue::getGroupTitle (const juce::String& alias) const
{
    if (auto* cached = groupTitleIndex.find (alias))
        return *cached;

    auto hit = findControl (alias);
    auto title = hit.isValid() ? hit.getParent()[Ids::title].toString() : unknownTitle;
    groupTitleIndex.store (alias, title);
    return title;
}

juce::String ControlCatalogue::getTitle (const juce::String& alias) const
{
    if (auto* cached = titleIndex.find (alias))
        return *cached;

    auto hit = findControl (alias);
    auto title = hit.isValid() ? hit[Ids::title].toString() : unknownTitle;
    titleIndex.store (alias, title);
    return title;
}

juce::String ControlCatalogue::getType (const juce::String& alias) const
{
    if (auto* cached = typeIndex.find (alias))
        return *cached;

    auto hit = findControl (alias);

    if (! hit.isValid())
        return unknownType;

    auto type = hit[Ids::type].toString();
    typeIndex.store (alias, type);
    return type;
}

//==============================================================================
juce::StringArray ControlCatalogue::getPresetNames (const juce::String& alias, int midiKind) const
{
    juce::StringArray names;

    if (auto kind = kindIdentifier (midiKind); kind.isValid())
    {
        auto type = getType (alias);

        for (const auto& typeNode : types)
            if (typeNode.getType().toString() == type)
                for (const auto& preset : typeNode.getChildWithName (kind))
                    if (preset.hasType (Ids::preset))
                        names.add (preset[Ids::name].toString());
    }

    return names;
}

juce::ValueTree ControlCatalogue::createPreset (const juce::String& alias, const juce::String& presetName, int midiKind) const
{
    if (auto kind = kindIdentifier (midiKind); kind.isValid())
    {
        auto type = getType (alias);

        for (const auto& typeNode : types)
            if (typeNode.getType().toString() == type)
                for (const auto& preset : typeNode.getChildWithName (kind))
                    if (preset.hasType (Ids::preset) && preset[Ids::name].toString() == presetName)
                        return preset.createCopy();
    }

    return {};
}

juce::Identifier ControlCatalogue::kindIdentifier (int midiKind)
{
    // Pitch-wheel input takes the controller-change presets.
    if (midiKind == 0 || midiKind == 2)
        return Ids::cc;

    if (midiKind == 1)
        return Ids::note;

    return {};
}

//==============================================================================
juce::ValueTree ControlCatalogue::findRange (const juce::String& alias) const
{
    for (const auto& range : ranges)
        if (range.hasType (Ids::alias) && range.getProperty (Ids::name, juce::String()).toString() == alias)
            return range;

    return {};
}

bool ControlCatalogue::hasRange (const juce::String& alias) const
{
    if (auto* cached = hasRangeIndex.find (alias))
        return cached->getIntValue() != 0;

    if (! findRange (alias).isValid())
        return false;

    hasRangeIndex.store (alias, true);
    return true;
}

int ControlCatalogue::getRangeMin (const juce::String& alias) const
{
    if (auto* cached = rangeMinIndex.find (alias))
        return cached->getIntValue();

    auto range = findRange (alias);

    if (! range.isValid())
        return 0;

    auto min = range.getProperty (Ids::min, 0).toString();
    rangeMinIndex.store (alias, min);
    return min.getIntValue();
}

int ControlCatalogue::getRangeMax (const juce::String& alias) const
{
    if (auto* cached = rangeMaxIndex.find (alias))
        return cached->getIntValue();

    auto range = findRange (alias);

    if (! range.isValid())
        return 127;

    auto max = range.getProperty (Ids::max, 127).toString();
    rangeMaxIndex.store (alias, max);
    return max.getIntValue();
}

juce::String ControlCatalogue::getRangeValueName (const juce::String& alias, int value) const
{
    const juce::String decimal (value);
    const auto key = alias + decimal;

    if (auto* cached = valueNameIndex.find (key))
        return *cached;

    for (const auto& range : ranges)
    {
        if (! range.hasType (Ids::alias) || range.getProperty (Ids::name, juce::String()).toString() != alias)
            continue;

        for (const auto& entry : range)
        {
            // An entry without a value attribute stands for -1.
            if (entry.hasType (Ids::key) && entry.getProperty (Ids::value, -1).toString() == decimal)
            {
                auto name = entry.getProperty (Ids::name, decimal).toString();
                valueNameIndex.store (key, name);
                return name;
            }
        }
    }

    return decimal;
}

//==============================================================================
juce::String ControlCatalogue::showInputMenu()
{
    return showMenu (in, inMenu);
}

juce::String ControlCatalogue::showOutputMenu()
{
    return showMenu (out, outMenu);
}

void ControlCatalogue::buildMenu (const juce::ValueTree& tree, juce::PopupMenu& menu)
{
    // Every group takes a hundred ids, so an id maps back to its group and control
    // (groups hold at most 99 controls). An empty group keeps its ids but gets no submenu.
    int base = 1;

    for (const auto& group : tree)
    {
        if (group.getNumChildren() > 0)
        {
            juce::PopupMenu subMenu;
            int v = 0;

            for (const auto& value : group)
                subMenu.addItem (base + v++, value[Ids::title].toString(), true, false);

            menu.addSubMenu (group[Ids::title].toString(), subMenu);
        }

        base += 100;
    }
}

juce::String ControlCatalogue::showMenu (const juce::ValueTree& tree, juce::PopupMenu& menu)
{
    if (menu.getNumItems() == 0)
        buildMenu (tree, menu);

    return aliasForMenuResult (tree, menu.show());
}

juce::String ControlCatalogue::aliasForMenuResult (const juce::ValueTree& tree, int result)
{
    if (result <= 0)
        return {};

    const int g = result / 100;
    const int v = result - 100 * g - 1;
    return tree.getChild (g).getChild (v)[Ids::alias].toString();
}
