# Sources of src/report: the template, its parser and page preparation in the
# core library; the preview (widgets) in the GUI library.
list(APPEND SPRAV_CORE_SOURCES
    report/ReportBand.h
    report/ReportError.h
    report/ReportExpression.cpp report/ReportExpression.h
    report/ReportFonts.cpp report/ReportFonts.h
    report/ReportItem.h
    report/ReportMemo.h
    report/ReportPage.h
    report/ReportPreparer.cpp report/ReportPreparer.h
    report/ReportRenderer.cpp report/ReportRenderer.h
    report/ReportTemplate.h
    report/ReportTemplateParser.cpp report/ReportTemplateParser.h
    report/ReportTextLayout.cpp report/ReportTextLayout.h
    report/ReportTextMeasure.cpp report/ReportTextMeasure.h
    report/ReportVariable.h
    report/UserDataSet.h
)
list(APPEND SPRAV_GUI_SOURCES
    report/Report.cpp report/Report.h
    report/ReportPageView.cpp report/ReportPageView.h
    report/ReportPreview.cpp report/ReportPreview.h
)

# The report templates, as ":/report/<name>". Linked into the core library;
# the generated object library travels with it into the program and the tests.
function(sprav_report_resources)
    qt_add_resources(sprav_core "report"
        PREFIX "/report"
        BASE ${CMAKE_CURRENT_SOURCE_DIR}/report
        FILES ${CMAKE_CURRENT_SOURCE_DIR}/report/list.rpt)
endfunction()
