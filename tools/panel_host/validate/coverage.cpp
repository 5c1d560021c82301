#include "coverage.h"

#include "contract_rules.h"

void Coverage::merge(const Coverage& other) {
    for (const auto& group : other.groups) {
        for (const auto& item : group.second) {
            bool& reachedHere = groups[group.first][item.first];
            reachedHere = reachedHere || item.second;
        }
    }
    commandsSent.insert(other.commandsSent.begin(), other.commandsSent.end());
}

int Coverage::reachable() const {
    int count = 0;
    for (const auto& group : groups) {
        count += static_cast<int>(group.second.size());
    }
    return count;
}

int Coverage::reached() const {
    int count = 0;
    for (const auto& group : groups) {
        for (const auto& item : group.second) {
            count += item.second ? 1 : 0;
        }
    }
    return count;
}

double Coverage::percent() const {
    int all = reachable();
    return all == 0 ? 0.0 : 100.0 * reached() / all;
}

namespace {

// When a rule becomes reachable, and what exercises it. A rule the script breaks by what it sends is
// exercised as soon as it sends that; a rule the host's events hold it to, once such an event came.
struct RuleSituation {
    Fault fault;
    unsigned offered;
    unsigned reached;
};

const RuleSituation kRuleSituations[] = {
    {Fault::FirstSlotCalled, situation::Created, situation::Called},
    {Fault::OtherThread, situation::Created, situation::Called},
    {Fault::OutsideCall, situation::Created, situation::Called},
    {Fault::AfterDestruction, situation::Created, situation::Destroyed},
    {Fault::UnknownRequestKind, situation::Created, situation::Called},
    {Fault::CommandWithoutText, situation::Created, situation::Called},
    {Fault::AnswerNotHandedBack, situation::CommandSent, situation::Answered},
    {Fault::HandedBackTwice, situation::CommandSent, situation::Answered},
    {Fault::ForeignHandBack, situation::CommandSent, situation::Answered},
    {Fault::CommandAfterClose, situation::CommandSent, situation::Closed},
    {Fault::MalformedCommand, situation::Created, situation::CommandSent},
    {Fault::UnknownCommand, situation::Created, situation::CommandSent},
    {Fault::EmptyRange, situation::Registered, situation::Registered},
    {Fault::PollRefused, situation::Polled, situation::Polled},
    {Fault::ZeroInterval, situation::TimerStarted, situation::TimerStarted},
    {Fault::RecordReadAfterCall, situation::RecordDelivered, situation::CalledAfterRecord},
    {Fault::ExportThrew, situation::Created, situation::Created},
    {Fault::NoScript, situation::Created, situation::Created},
    {Fault::NotifyThrew, situation::Created, situation::Called},
    {Fault::TextForWrongKind, situation::Created, situation::CalledNotParent},
    {Fault::DestructorThrew, situation::Created, situation::Destroyed},
    {Fault::NoClosingCommand, situation::Created, situation::Destroyed},
    {Fault::NeverRests, situation::TimerStarted | situation::Registered, situation::Woken},
    {Fault::UnregisteredSlot, situation::SlotUsed, situation::SlotUsed},
    {Fault::QuoteInTextField, situation::Created, situation::CommandSent},
};

}  // namespace

void coverContractRules(unsigned situations, Coverage& coverage) {
    size_t count = 0;
    const ContractRule* rules = contractRules(&count);
    for (size_t i = 0; i < count; ++i) {
        // A rule without a situation here is the host's own (a failure of the emulator): never offered.
        for (const RuleSituation& known : kRuleSituations) {
            if (known.fault != rules[i].fault || (situations & known.offered) == 0) {
                continue;
            }
            coverage.offer("contract rules", rules[i].name);
            if ((situations & known.reached) != 0) {
                coverage.reach("contract rules", rules[i].name);
            }
        }
    }
}
