// What a removal takes out of a tree, told to every tracked handle of that
// tree before pugixml frees anything, so that each handle can still read the
// links it needs to decide whether it points into the doomed part.
#pragma once

#include <pugixml.hpp>

#include "base/wrapper.h"

struct Removal {
    enum Kind {
        Subtree,     // `node` and everything below it
        Children,    // everything below `node`, which stays
        Attribute,   // `attribute` of `node`
        Attributes,  // every attribute of `node`
    };
    Kind kind;
    pugi::xml_node node;
    pugi::xml_attribute attribute;

    // Whether `x` lies in the removed part: O(depth of x).
    bool Dooms(pugi::xml_node x) const {
        if (kind == Attribute || kind == Attributes || !x) return false;
        if (kind == Children) x = x.parent();
        for (; x; x = x.parent())
            if (x == node) return true;
        return false;
    }

    // Calls onNode for every node and onAttribute for every attribute that
    // goes, walking only the removed part.
    template <class OnNode, class OnAttribute>
    void ForEachDoomed(OnNode&& onNode, OnAttribute&& onAttribute) const {
        if (kind == Attribute) return onAttribute(attribute);
        if (kind == Attributes) {
            for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute())
                onAttribute(a);
            return;
        }
        pugi::xml_node x = kind == Subtree ? node : node.first_child();
        while (x) {
            onNode(x);
            for (pugi::xml_attribute a = x.first_attribute(); a; a = a.next_attribute())
                onAttribute(a);
            if (x.first_child()) {
                x = x.first_child();
                continue;
            }
            // Up until a node with a following sibling, never leaving the
            // removed part.
            while (x != node && !x.next_sibling()) x = x.parent();
            if (x == node) break;
            x = x.next_sibling();
        }
    }

    // Whether attribute `a` of element `parent` goes.
    bool Dooms(pugi::xml_attribute a, pugi::xml_node parent) const {
        switch (kind) {
            case Attribute:
                return a == attribute;
            case Attributes:
                return parent == node;
            default:
                return Dooms(parent);
        }
    }
};

using TreeRegistry = Registry<Removal>;
using TreeTracked = Tracked<Removal>;
