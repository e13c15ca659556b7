// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's one workflow at a time: which one runs, and how far it has come.
#pragma once

// What the user is in the middle of. While anything but None runs, no other workflow starts and
// the album is edited only by the running workflow itself; every entry point (button, shortcut,
// drop, accessibility action, queued signal) asks first, and the controls follow.
enum class Workflow
{
    None,
    Import,          // pictures: chooser, decoding, report
    Export,          // export settings (and the overwrite question), encoding, result
    WatermarkImage,  // watermark picture: chooser, check
    Music,           // music chooser
    Font,            // font dialog
    WatermarkSwitch, // the question before the watermark type changes
    Album,           // the chooser of an album file to open or save
};

enum class WorkflowPhase
{
    Idle,
    Asking,    // a chooser, a question or a settings dialog is up
    Running,   // a worker does the work
    Reporting, // the result is shown
};

class WorkflowState
{
public:
    Workflow kind() const { return m_kind; }
    WorkflowPhase phase() const { return m_phase; }
    bool idle() const { return m_kind == Workflow::None; }
    bool is(Workflow kind) const { return m_kind == kind; }
    bool is(Workflow kind, WorkflowPhase phase) const { return m_kind == kind && m_phase == phase; }

    // Starts `kind` in `phase` when nothing runs; false (and nothing changes) otherwise.
    bool begin(Workflow kind, WorkflowPhase phase = WorkflowPhase::Asking)
    {
        if (!idle() || kind == Workflow::None)
            return false;
        m_kind = kind;
        m_phase = phase;
        return true;
    }
    // Moves `kind` on; false when `kind` is not the one running (an answer that came too late).
    bool advance(Workflow kind, WorkflowPhase phase)
    {
        if (m_kind != kind)
            return false;
        m_phase = phase;
        return true;
    }
    // Ends `kind`; another workflow's end request changes nothing.
    bool end(Workflow kind)
    {
        if (m_kind != kind)
            return false;
        m_kind = Workflow::None;
        m_phase = WorkflowPhase::Idle;
        return true;
    }

private:
    Workflow m_kind = Workflow::None;
    WorkflowPhase m_phase = WorkflowPhase::Idle;
};
