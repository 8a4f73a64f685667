// CSearchDlg: the modeless search window. It searches every month file for a
// string, lists one row per day found, shows a chosen day in the journal and
// keeps the strings searched for as a history of ten.
#pragma once

#include "framework/framework.h"

#include "journal/search/search_engine.h"
#include "journal/search/search_history.h"

class CJournalDlg;

class CSearchDlg : public CDialog {
 public:
  CSearchDlg();
  ~CSearchDlg() override;

  // For tests: the results block takes no more than `records` hits, as if
  // memory ran out there; a negative value lifts the limit.
  static void SetResultRoomForTesting(int records);

 protected:
  void DoDataExchange(CDataExchange* dx) override;
  BOOL OnInitDialog() override;
  // Closing a modeless dialog destroys it.
  void OnCancel() override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // The results of one search: a movable global block of result records,
  // locked while the list shows rows, since each row holds its record's address.
  class Results : public vorta::SearchHitSink {
   public:
    ~Results() { Free(); }
    bool Add(const vorta::SearchResult& hit) override;
    // Locks the block for the rows; nullptr when there is none.
    vorta::SearchResult* Lock();
    void Free();
    int count() const { return m_nHits; }

   private:
    HGLOBAL m_hBlock = nullptr;
    vorta::SearchResult* m_pLocked = nullptr;
    int m_nHits = 0;
    int m_nCapacity = 0;
  };

  // 1020: a search, or the hit in view when the list or "表示" has the focus.
  void OnSearch();
  void RunSearch();
  void ViewResult();
  // Reads the month files of the DATA folder into the results; false when
  // memory for them ran out.
  bool ScanDataFolder(const vorta::SearchPattern& pattern);
  // One row per result record, the first one focused.
  void InsertRows(vorta::SearchResult* records, int count);
  void OnCaseSensitive();
  void OnClearHistory();
  // Stores the history in the profile and lists it, newest first.
  void SaveHistory();
  void ListHistory();
  LRESULT OnNotify(NMHDR* header);
  void OnGetDispInfo(NMLVDISPINFOA* info);
  void OnColumnClick(int column);
  // Gives one of the push buttons the default-button look.
  void ShowDefaultButton(int id);
  void StopAnimation();
  void OnDestroy();

  CWinApp* m_pApp = nullptr;
  CJournalDlg* m_pOwner = nullptr;
  CAnimateCtrl m_aniSearch;
  vorta::SearchHistory m_history;
  Results m_results;
  int m_bCaseSensitive = 0;
  char m_szSearch[vorta::kSearchStringMax + 1] = {};

  CListCtrl m_lstResults;
  CButton m_btnClearHistory, m_btnClose, m_btnView, m_chkCaseSensitive, m_btnSearch;
  CAnimateCtrl m_aniFrame;
  CEdit m_edtHitCount;
  CComboBox m_cboSearch;
};
