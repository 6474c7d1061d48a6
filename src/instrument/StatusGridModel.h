#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QVector>

#include "ConnectionRecord.h"

// The load connection status grid: columns "No", the medium name and
// "Status", one row per channel. The status texts carry a text colour, given
// as a 0xRRGGBB number through kTextRgbRole so that the engine needs no GUI
// types; the window turns it into a colour.
class StatusGridModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column : int { kNumberColumn = 0, kAddressColumn = 1, kStatusColumn = 2 };
    enum Status : int { kNoStatus, kWait, kConnectOk, kConnectFail };
    static constexpr int kTextRgbRole = Qt::UserRole + 1;
    static constexpr int kColumnCount = 3;

    // Text colours dark enough to read on the grid's white (contrast above
    // 4.5:1).
    static constexpr int kBlue = 0x0000FF;
    static constexpr int kGreen = 0x008000;
    static constexpr int kRed = 0xC00000;

    explicit StatusGridModel(QObject* parent = nullptr);

    // The medium header: "RS232", "GPIB" or "TCPIP".
    void ShowMedium(Medium medium);

    // One row per channel; new rows show their number and nothing else.
    void SetChannelCount(int count);

    // `row` is 0 for channel 1.
    void SetAddress(int row, const QString& address);
    void SetStatus(int row, Status status);
    // Shows where the channel of `row` connects, waiting for the next pass:
    // its medium in the header, its address (a LAN one with or without the
    // port), and "Wait".
    void ShowWaiting(int row, const ConnectionRecord& record, bool withPort);
    QString Text(int row, int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

  private:
    struct Row {
        QString number;
        QString address;
        Status status = kNoStatus;
    };

    bool ValidRow(int row) const { return row >= 0 && row < m_rows.size(); }
    void RowChanged(int row);
    void ClearRow(int row);

    QString m_medium;
    QVector<Row> m_rows;
};
