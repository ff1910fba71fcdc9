#pragma once

#include <juce_graphics/juce_graphics.h>

/**
    The palette and the strips, bars and row stripes that the main view, the source editor
    and the right-hand panels all draw, so that each of them calls one function here instead
    of repeating the gradient code.

    Gradient points are given in the component's own coordinates, as the painting code of each
    panel places them; the fills are plain above the start point and below the end point.
*/
namespace PanelDrawing
{
    /** The named colours of the editor's panels. */
    namespace Colours
    {
        const juce::Colour background (0xffffffff);       ///< white fill under everything
        const juce::Colour headerTop (0xfff6f6f6);        ///< header strip gradient, top
        const juce::Colour headerBottom (0xffd9d9d9);     ///< header strip gradient, bottom
        const juce::Colour sectionTop (0xffecedf9);       ///< section bar gradient, top
        const juce::Colour sectionBottom (0xffbec0d2);    ///< section bar gradient, bottom
        const juce::Colour sectionFrame (0xff999999);     ///< section bar frame and editor panel frame
        const juce::Colour panelBody (0xffe8e8e8);        ///< body of the input- and output-mapping panels
        const juce::Colour infoBody (0xffdfdfdf);         ///< body of the controller information and multi-selection panels
        const juce::Colour infoFrame (0x33000000);        ///< frame of those bodies and of the source editor's body
        const juce::Colour darkHeader (0xff6b6b6b);       ///< the 40-pixel title header of the main view and source editor
        const juce::Colour titleText (0xffffffff);        ///< the title text on the dark header
        const juce::Colour tableSelection (0xff4b96e6);   ///< (75, 150, 230): selected rows of the main table, selected MIDI cell
        const juce::Colour oddRow (0xfff0f5fa);           ///< (240, 245, 250): odd main-table rows
        const juce::Colour panelRowSelection (0xfff0f5fa); ///< (240, 245, 250): selected rows of the panels' MIDI tables
        const juce::Colour cellSeparator (0x33000000);    ///< black at alpha 0.2: right-hand line of every main-table cell
        const juce::Colour unknownAliasText (0xff808080); ///< texts of mappings whose alias the catalogue does not know
        const juce::Colour iconFrame (0xff818181);        ///< the frame behind the controller icon
    }

    /** Sizes shared by the right-hand panels and the title headers. */
    enum Sizes
    {
        panelWidth = 300,        ///< the right-hand panels draw 300 pixels wide, whatever their width
        panelHeaderHeight = 27,  ///< header strip of the right-hand panels
        sectionBarHeight = 20,   ///< section bars of the editor panels
        titleHeaderHeight = 40   ///< the dark header of the main view and source editor
    };

    /** Fills an area with a vertical linear gradient from top at y = topY to bottom at y = bottomY. */
    void fillVerticalGradient (juce::Graphics& g, juce::Rectangle<int> area,
                               juce::Colour top, float topY, juce::Colour bottom, float bottomY);

    /** Fills a header strip (0xfff6f6f6 to 0xffd9d9d9) between the two gradient points; not framed. */
    void drawHeaderStrip (juce::Graphics& g, juce::Rectangle<int> area, float gradientStartY, float gradientEndY);

    /** The right-hand panels' header strip: (0, 0, 300, 27), gradient from y 0 to y 14. */
    void drawPanelHeader (juce::Graphics& g);

    /** Fills a section bar (0xffecedf9 to 0xffbec0d2) between the two gradient points and frames it, 1 pixel, in 0xff999999. */
    void drawSectionBar (juce::Graphics& g, juce::Rectangle<int> area, float gradientStartY, float gradientEndY);

    /** Fills an area with a plain colour and frames the same rectangle, 1 pixel, in another. */
    void drawFramedBody (juce::Graphics& g, juce::Rectangle<int> area, juce::Colour fill, juce::Colour frame);

    /**
        The dark title header of the main view and the source editor: fills (0, 0, width, 40) with
        0xff6b6b6b, draws the whole logo into (10, 0, 40, 40) and "Wirelace" in white bold 26.2 into
        (60, 0, 124, 40), centred left, with an ellipsis when it does not fit. An invalid logo draws nothing.
    */
    void drawTitleHeader (juce::Graphics& g, int width, const juce::Image& logo);

    /** The main table's row background: (75, 150, 230) when selected, else (240, 245, 250) on odd rows and white on even ones. */
    void drawTableRowBackground (juce::Graphics& g, int rowNumber, int width, int height, bool isSelected);

    /** The main table's cell separator: (width - 1, 0, 1, height) in black at alpha 0.2. */
    void drawCellSeparator (juce::Graphics& g, int width, int height);
}
