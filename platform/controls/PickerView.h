#pragma once

// Spinning wheels of rows, one per component, each with a selected row in
// the band across the middle. Dragging a wheel turns it; on release it
// settles on the row nearest the band and tells the delegate.
//
// Main thread only. Data source and delegate are not retained.

#include "platform/graphics/Font.h"
#include "platform/ui/View.h"

#include <string>
#include <vector>

namespace pf {

class PickerView;

class PickerViewDataSource {
public:
    virtual ~PickerViewDataSource() = default;
    virtual int numberOfComponentsInPickerView(PickerView&) = 0;
    virtual int pickerViewNumberOfRowsInComponent(PickerView&, int component) = 0;
};

class PickerViewDelegate {
public:
    virtual ~PickerViewDelegate() = default;
    virtual std::string pickerViewTitleForRow(PickerView&, int /*row*/, int /*component*/) { return {}; }
    virtual void pickerViewDidSelectRow(PickerView&, int /*row*/, int /*component*/) {}
    // Components share the width evenly unless told.
    virtual double pickerViewWidthForComponent(PickerView&, int /*component*/) { return 0; }
};

class PickerView : public View {
public:
    static constexpr double RowHeight = 36;

    explicit PickerView(const Rect& frame = Rect(0, 0, 320, 216));

    ObjectRef dataSourceObject() const { return m_dataSourceObject.lock(); }
    void setDataSourceObject(const ObjectRef& object);
    ObjectRef delegateObject() const { return m_delegateObject.lock(); }
    void setDelegateObject(const ObjectRef& object);
    void setDataSource(const std::shared_ptr<PickerViewDataSource>& dataSource);
    void setDelegate(const std::shared_ptr<PickerViewDelegate>& delegate);

    void reloadAllComponents();
    void reloadComponent(int component);
    int numberOfComponents() const { return static_cast<int>(m_wheels.size()); }
    int numberOfRowsInComponent(int component) const;
    // -1 for a component without rows.
    int selectedRowInComponent(int component) const;
    // Out-of-range rows are clamped; the delegate is not told.
    void selectRow(int row, int component, bool animated = false);
    // The component under x in bounds coordinates, or -1.
    int componentAtX(double x) const;

    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& context, const Rect& rect) override;
    std::string textContent() const override;
    void touchesBegan(const TouchSet& touches) override;
    void touchesMoved(const TouchSet& touches) override;
    void touchesEnded(const TouchSet& touches) override;
    void touchesCancelled(const TouchSet& touches) override;

private:
    struct Wheel {
        int rows = 0;
        int selected = 0;
        double offset = 0; // extra turn while dragged, in points
    };
    Rect componentRect(int component) const;
    std::string titleFor(int row, int component) const;
    void settle(bool notify);

    std::weak_ptr<PickerViewDataSource> m_dataSource;
    std::weak_ptr<PickerViewDelegate> m_delegate;
    WeakObject m_dataSourceObject;
    WeakObject m_delegateObject;
    std::vector<Wheel> m_wheels;
    int m_dragComponent = -1;
    double m_dragStartY = 0;
    Font m_font = Font::system(20);
};

}
