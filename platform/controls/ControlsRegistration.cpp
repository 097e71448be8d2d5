#include "platform/controls/ControlsRegistration.h"

#include "platform/controls/ActivityIndicatorView.h"
#include "platform/controls/BarItem.h"
#include "platform/controls/Button.h"
#include "platform/controls/DateFormatter.h"
#include "platform/controls/DatePicker.h"
#include "platform/controls/ImagePickerController.h"
#include "platform/controls/ImageView.h"
#include "platform/controls/Label.h"
#include "platform/controls/NavigationBar.h"
#include "platform/controls/NavigationController.h"
#include "platform/controls/NavigationItem.h"
#include "platform/controls/PageControl.h"
#include "platform/controls/PickerView.h"
#include "platform/controls/ScrollView.h"
#include "platform/controls/SegmentedControl.h"
#include "platform/controls/TabBar.h"
#include "platform/controls/TabBarController.h"
#include "platform/controls/TableView.h"
#include "platform/controls/TableViewCell.h"
#include "platform/controls/TextField.h"
#include "platform/controls/TextView.h"
#include "platform/controls/Toolbar.h"
#include "platform/controls/WebView.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/ClassExtension.h"
#include "platform/graphics/GraphicsPropertyTraits.h"
#include "platform/ui/UiRegistration.h"

namespace pf {

namespace {

std::vector<EnumValue> alignments()
{
    return {{"left", int(TextAlignment::Left)}, {"center", int(TextAlignment::Center)}, {"right", int(TextAlignment::Right)}};
}

// The per-state keys of a button, as styles set them: "titleColor" is the
// normal state's, "titleColorHighlighted" the highlighted state's, and so on.
template <ControlState S> Color titleColorOf(const Button& b) { return b.titleColorForState(S); }
template <ControlState S> void setTitleColorOf(Button& b, const Color& c) { b.setTitleColor(c, S); }
template <ControlState S> ImageRef imageOf(const Button& b) { return b.imageForState(S); }
template <ControlState S> void setImageOf(Button& b, const ImageRef& i) { b.setImage(i, S); }
template <ControlState S> ImageRef backgroundOf(const Button& b) { return b.backgroundImageForState(S); }
template <ControlState S> void setBackgroundOf(Button& b, const ImageRef& i) { b.setBackgroundImage(i, S); }

template <ControlState S> void addStateKeys(ClassExtension<Button>& extension, const std::string& suffix)
{
    extension.property("titleColor" + suffix, &titleColorOf<S>, &setTitleColorOf<S>)
        .property("image" + suffix, &imageOf<S>, &setImageOf<S>)
        .property("backgroundImage" + suffix, &backgroundOf<S>, &setBackgroundOf<S>);
}

void registerButtonStateKeys()
{
    ClassExtension<Button> extension;
    addStateKeys<ControlStates::Normal>(extension, "");
    addStateKeys<ControlStates::Highlighted>(extension, "Highlighted");
    addStateKeys<ControlStates::Disabled>(extension, "Disabled");
    addStateKeys<ControlStates::Selected>(extension, "Selected");
    extension.commit();
}

void registerViews()
{
    ClassBuilder<Control>("Control")
        .superclass<View>()
        .property("enabled", &Control::isEnabled, &Control::setEnabled)
        .property("selected", &Control::isSelected, &Control::setSelected)
        .property("highlighted", &Control::isHighlighted, &Control::setHighlighted)
        .commit();
    ClassBuilder<Label>("Label")
        .superclass<View>()
        .property("text", &Label::text, &Label::setText)
        .property("font", &Label::font, &Label::setFont)
        .property("textColor", &Label::textColor, &Label::setTextColor)
        .enumProperty("textAlignment", &Label::textAlignment, &Label::setTextAlignment, alignments())
        .property("numberOfLines", &Label::numberOfLines, &Label::setNumberOfLines)
        .enumProperty("lineBreakMode", &Label::lineBreakMode, &Label::setLineBreakMode,
                      {{"wordWrap", int(LineBreakMode::WordWrap)},
                       {"charWrap", int(LineBreakMode::CharWrap)},
                       {"clip", int(LineBreakMode::Clip)},
                       {"truncateHead", int(LineBreakMode::TruncateHead)},
                       {"truncateTail", int(LineBreakMode::TruncateTail)},
                       {"truncateMiddle", int(LineBreakMode::TruncateMiddle)}})
        .commit();
    ClassBuilder<Button>("Button")
        .superclass<Control>()
        .property("title", &Button::title, &Button::setTitleText)
        .property("titleFont", &Button::titleFont, &Button::setTitleFont)
        .property("titleEdgeInsets", &Button::titleEdgeInsets, &Button::setTitleEdgeInsets)
        .property("imageEdgeInsets", &Button::imageEdgeInsets, &Button::setImageEdgeInsets)
        .enumProperty("contentHorizontalAlignment", &Button::contentHorizontalAlignment,
                      &Button::setContentHorizontalAlignment,
                      {{"center", int(ContentHorizontalAlignment::Center)},
                       {"left", int(ContentHorizontalAlignment::Left)},
                       {"right", int(ContentHorizontalAlignment::Right)}})
        .commit();
    registerButtonStateKeys();
    ClassBuilder<ImageView>("ImageView")
        .superclass<View>()
        .property("image", &ImageView::image, &ImageView::setImage)
        .property("highlightedImage", &ImageView::highlightedImage, &ImageView::setHighlightedImage)
        .commit();
    ClassBuilder<ScrollView>("ScrollView")
        .superclass<View>()
        .property("contentSize", &ScrollView::contentSize, &ScrollView::setContentSize)
        .property("contentInset", &ScrollView::contentInset, &ScrollView::setContentInset)
        .weakProperty("delegate", &ScrollView::delegateObject, &ScrollView::setDelegateObject)
        .property("scrollEnabled", &ScrollView::isScrollEnabled, &ScrollView::setScrollEnabled)
        .property("pagingEnabled", &ScrollView::isPagingEnabled, &ScrollView::setPagingEnabled)
        .property("bounces", &ScrollView::bounces, &ScrollView::setBounces)
        .property("alwaysBounceVertical", &ScrollView::alwaysBounceVertical, &ScrollView::setAlwaysBounceVertical)
        .property("alwaysBounceHorizontal", &ScrollView::alwaysBounceHorizontal, &ScrollView::setAlwaysBounceHorizontal)
        .property("showsVerticalScrollIndicator", &ScrollView::showsVerticalScrollIndicator,
                  &ScrollView::setShowsVerticalScrollIndicator)
        .property("showsHorizontalScrollIndicator", &ScrollView::showsHorizontalScrollIndicator,
                  &ScrollView::setShowsHorizontalScrollIndicator)
        .property("scrollsToTop", &ScrollView::scrollsToTop, &ScrollView::setScrollsToTop)
        .property("minimumZoomScale", &ScrollView::minimumZoomScale, &ScrollView::setMinimumZoomScale)
        .property("maximumZoomScale", &ScrollView::maximumZoomScale, &ScrollView::setMaximumZoomScale)
        .property("decelerationRate", &ScrollView::decelerationRate, &ScrollView::setDecelerationRate)
        .commit();
    ClassBuilder<TableView>("TableView")
        .superclass<ScrollView>()
        .weakProperty("dataSource", &TableView::dataSourceObject, &TableView::setDataSourceObject)
        .property("rowHeight", &TableView::rowHeight, &TableView::setRowHeight)
        .property("sectionHeaderHeight", &TableView::sectionHeaderHeight, &TableView::setSectionHeaderHeight)
        .property("sectionFooterHeight", &TableView::sectionFooterHeight, &TableView::setSectionFooterHeight)
        .property("tableHeaderView", &TableView::tableHeaderView, &TableView::setTableHeaderView)
        .property("tableFooterView", &TableView::tableFooterView, &TableView::setTableFooterView)
        .commit();
    ClassBuilder<TableViewCell>("TableViewCell")
        .superclass<View>()
        .property("reuseIdentifier", &TableViewCell::reuseIdentifier, &TableViewCell::setReuseIdentifier)
        .commit();
    ClassBuilder<TextField>("TextField")
        .superclass<Control>()
        .property("text", &TextField::text, &TextField::setText)
        .property("placeholder", &TextField::placeholder, &TextField::setPlaceholder)
        .property("font", &TextField::font, &TextField::setFont)
        .property("textColor", &TextField::textColor, &TextField::setTextColor)
        .enumProperty("textAlignment", &TextField::textAlignment, &TextField::setTextAlignment, alignments())
        .enumProperty("borderStyle", &TextField::borderStyle, &TextField::setBorderStyle,
                      {{"none", int(TextBorderStyle::None)},
                       {"line", int(TextBorderStyle::Line)},
                       {"bezel", int(TextBorderStyle::Bezel)},
                       {"roundedRect", int(TextBorderStyle::RoundedRect)}})
        .property("secureTextEntry", &TextField::isSecureTextEntry, &TextField::setSecureTextEntry)
        .weakProperty("delegate", &TextField::delegateObject, &TextField::setDelegateObject)
        .property("inputView", &TextField::inputView, &TextField::setInputView)
        .commit();
    ClassBuilder<TextView>("TextView")
        .superclass<ScrollView>()
        .property("text", &TextView::text, &TextView::setText)
        .property("font", &TextView::font, &TextView::setFont)
        .property("textColor", &TextView::textColor, &TextView::setTextColor)
        .property("editable", &TextView::isEditable, &TextView::setEditable)
        .property("inputView", &TextView::inputView, &TextView::setInputView)
        .commit();
    ClassBuilder<PageControl>("PageControl")
        .superclass<Control>()
        .property("numberOfPages", &PageControl::numberOfPages, &PageControl::setNumberOfPages)
        .property("currentPage", &PageControl::currentPage, &PageControl::setCurrentPage)
        .property("hidesForSinglePage", &PageControl::hidesForSinglePage, &PageControl::setHidesForSinglePage)
        .property("pageIndicatorTintColor", &PageControl::pageIndicatorTintColor, &PageControl::setPageIndicatorTintColor)
        .property("currentPageIndicatorTintColor", &PageControl::currentPageIndicatorTintColor,
                  &PageControl::setCurrentPageIndicatorTintColor)
        .commit();
    ClassBuilder<SegmentedControl>("SegmentedControl")
        .superclass<Control>()
        .property("selectedSegmentIndex", &SegmentedControl::selectedSegmentIndex,
                  &SegmentedControl::setSelectedSegmentIndex)
        .property("momentary", &SegmentedControl::isMomentary, &SegmentedControl::setMomentary)
        .property("titles", &SegmentedControl::titleList, &SegmentedControl::setTitleList)
        .property("tintColor", &SegmentedControl::tintColor, &SegmentedControl::setTintColor)
        .commit();
    ClassBuilder<ActivityIndicatorView>("ActivityIndicatorView")
        .superclass<View>()
        .enumProperty("style", &ActivityIndicatorView::style, &ActivityIndicatorView::setStyle,
                      {{"whiteLarge", int(ActivityIndicatorViewStyle::WhiteLarge)},
                       {"white", int(ActivityIndicatorViewStyle::White)},
                       {"gray", int(ActivityIndicatorViewStyle::Gray)}})
        .property("animating", &ActivityIndicatorView::isAnimating, &ActivityIndicatorView::setAnimating)
        .property("hidesWhenStopped", &ActivityIndicatorView::hidesWhenStopped,
                  &ActivityIndicatorView::setHidesWhenStopped)
        .commit();
    ClassBuilder<PickerView>("PickerView")
        .superclass<View>()
        .weakProperty("dataSource", &PickerView::dataSourceObject, &PickerView::setDataSourceObject)
        .weakProperty("delegate", &PickerView::delegateObject, &PickerView::setDelegateObject)
        .commit();
    ClassBuilder<DatePicker>("DatePicker")
        .superclass<Control>()
        .enumProperty("datePickerMode", &DatePicker::datePickerMode, &DatePicker::setDatePickerMode,
                      {{"time", int(DatePickerMode::Time)},
                       {"date", int(DatePickerMode::Date)},
                       {"dateAndTime", int(DatePickerMode::DateAndTime)}})
        .commit();
    ClassBuilder<NavigationBar>("NavigationBar")
        .superclass<View>()
        .property("tintColor", &NavigationBar::tintColor, &NavigationBar::setTintColor)
        .property("titleColor", &NavigationBar::titleColor, &NavigationBar::setTitleColor)
        .property("items", &NavigationBar::itemList, &NavigationBar::setItemList)
        .commit();
    ClassBuilder<Toolbar>("Toolbar")
        .superclass<View>()
        .property("tintColor", &Toolbar::tintColor, &Toolbar::setTintColor)
        .property("items", &Toolbar::itemList, &Toolbar::setItemList)
        .commit();
    ClassBuilder<TabBar>("TabBar")
        .superclass<View>()
        .property("items", &TabBar::itemList, &TabBar::setItemList)
        .property("selectedTintColor", &TabBar::selectedTintColor, &TabBar::setSelectedTintColor)
        .weakProperty("delegate", &TabBar::delegateObject, &TabBar::setDelegateObject)
        .commit();
    ClassBuilder<WebView>("WebView")
        .superclass<View>()
        .weakProperty("delegate", &WebView::delegateObject, &WebView::setDelegateObject)
        .commit();
}

void registerItems()
{
    ClassBuilder<BarItem>("BarItem")
        .property("title", &BarItem::title, &BarItem::setTitle)
        .property("image", &BarItem::image, &BarItem::setImage)
        .property("enabled", &BarItem::isEnabled, &BarItem::setEnabled)
        .property("tag", &BarItem::tag, &BarItem::setTag)
        .commit();
    ClassBuilder<BarButtonItem>("BarButtonItem").superclass<BarItem>().commit();
    ClassBuilder<TabBarItem>("TabBarItem")
        .superclass<BarItem>()
        .property("badgeValue", &TabBarItem::badgeValue, &TabBarItem::setBadgeValue)
        .commit();
    ClassBuilder<NavigationItem>("NavigationItem")
        .property("title", &NavigationItem::title, &NavigationItem::setTitle)
        .property("leftBarButtonItem", &NavigationItem::leftBarButtonItem, &NavigationItem::setLeftBarButtonItem)
        .property("rightBarButtonItem", &NavigationItem::rightBarButtonItem, &NavigationItem::setRightBarButtonItem)
        .commit();
    ClassBuilder<ImagePickerController>("ImagePickerController")
        .superclass<ViewController>()
        .property("allowsEditing", &ImagePickerController::allowsEditing, &ImagePickerController::setAllowsEditing)
        .commit();
    ClassBuilder<NavigationController>("NavigationController")
        .superclass<ViewController>()
        .property("navigationBar", &NavigationController::navigationBar, &NavigationController::setNavigationBar)
        .property("toolbar", &NavigationController::toolbar, &NavigationController::setToolbar)
        .commit();
    ClassBuilder<TabBarController>("TabBarController")
        .superclass<ViewController>()
        .property("tabBar", &TabBarController::tabBar, &TabBarController::setTabBar)
        .commit();
    ClassBuilder<DateFormatter>("DateFormatter")
        .property("dateFormat", &DateFormatter::dateFormat, &DateFormatter::setDateFormat)
        .commit();
}

}

void registerControlsClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    registerUiClasses();
    registerViews();
    registerItems();
}

}
